# Shared by the scripts in scripts/: the repository root, and installing the
# Debian packages each build needs when they are missing.

KELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Debian packages per build preset.
kelmora_packages() {
    case $1 in
        native) echo "cmake ninja-build g++ binutils googletest libgtest-dev libbenchmark-dev" \
                     "libembree-dev libopenimageio-dev libassimp-dev libcli11-dev" \
                     "fonts-dejavu-core" ;; # the font of kelmora-render's labels
        # wine64 sets prefixes up natively and serves the 32-bit loader; qemu-user
        # runs that loader where the kernel cannot (see kelmora_enable_i386).
        windows-x86) echo "cmake ninja-build googletest g++-mingw-w64-i686 wine wine32:i386 wine64" \
                          "qemu-user" ;;
        # 64-bit Windows runs under wine64 natively: no 32-bit code, no emulation.
        windows-x64) echo "cmake ninja-build googletest g++-mingw-w64-x86-64 wine64" ;;
        ppc32) echo "cmake ninja-build googletest g++-12-powerpc-linux-gnu qemu-user" ;;
        # clang with its runtimes (sanitizers, libFuzzer) and llvm-symbolizer for readable reports.
        asan | tsan | fuzz) echo "$(kelmora_packages native) clang libclang-rt-14-dev llvm" ;;
        *) echo "unknown preset: $1" >&2; return 1 ;;
    esac
}

kelmora_missing() {
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed" || echo "$pkg"
    done
}

# Installs whatever the given presets need and the machine lacks.
kelmora_install() {
    local wanted=() preset missing
    for preset in "$@"; do
        read -r -a pkgs <<<"$(kelmora_packages "$preset")"
        wanted+=("${pkgs[@]}")
    done
    missing=$(kelmora_missing "${wanted[@]}")
    [ -z "$missing" ] || kelmora_apt_install "$missing"
    if [[ " $* " == *" windows-x86 "* ]]; then
        kelmora_enable_i386
    fi
}

kelmora_apt_install() {
    local missing=$1
    echo "Installing: $missing" | tr '\n' ' '; echo
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    if grep -q ':i386' <<<"$missing"; then
        "${sudo[@]}" dpkg --add-architecture i386
    fi
    "${sudo[@]}" apt-get update -q
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends $missing
}

# Makes sure 32-bit x86 Linux programs run (Wine's 32-bit loader is one). Some
# kernels are built or booted without 32-bit support; there they run through
# qemu-i386, registered with the kernel's binfmt_misc for 32-bit x86 ELF files.
kelmora_enable_i386() {
    local probe=/usr/lib/wine/wineserver32 binfmt=/proc/sys/fs/binfmt_misc
    "$probe" --version >/dev/null 2>&1 && return 0
    echo "This kernel runs no 32-bit x86 programs: running them through qemu-i386"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    [ -e "$binfmt/register" ] || "${sudo[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
    if [ ! -e "$binfmt/kelmora-i386" ]; then
        # ELF, 32-bit, little-endian, executable or shared object, machine 386.
        local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
        local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
        printf '%s' ":kelmora-i386:M::$magic:$mask:/usr/bin/qemu-i386:" |
            "${sudo[@]}" tee "$binfmt/register" >/dev/null
    fi
    "$probe" --version >/dev/null
}

# Configures and builds one preset.
kelmora_build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

