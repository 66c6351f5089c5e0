# Shared by the scripts in scripts/: the repository root, and installing the
# Debian packages each build needs when they are missing.

KELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Debian packages per build preset.
kelmora_packages() {
    case $1 in
        native) echo "cmake ninja-build g++ binutils googletest libgtest-dev libbenchmark-dev" \
                     "libembree-dev libopenimageio-dev libassimp-dev libcli11-dev" \
                     "fonts-dejavu-core" ;; # the font of kelmora-render's labels
        windows-x86) echo "cmake ninja-build googletest g++-mingw-w64-i686 wine wine32:i386" ;;
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
    [ -z "$missing" ] && return 0
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

# Configures and builds one preset.
kelmora_build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

