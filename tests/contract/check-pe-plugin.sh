#!/usr/bin/env bash
# Checks the built Windows plug-in's contract with the renderer:
#  - its export table holds exactly kelmora, kelmora_version and
#    miSetModuleHandle, undecorated (a __stdcall export would read name@N);
#  - it imports from KERNEL32.dll and the C runtime only, so it loads without
#    the compiler's runtime DLLs (libgcc_s_*, libstdc++-6, libwinpthread-1).
set -euo pipefail
objdump=$1
plugin=$2
fail=0
problem() { echo "FAIL: $plugin: $*"; fail=1; }

[ -f "$plugin" ] || { echo "FAIL: $plugin does not exist"; exit 1; }
headers=$("$objdump" -p "$plugin")

# Lines like "	[   0] kelmora" after "[Ordinal/Name Pointer] Table".
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {table = 1; next}
               table && /^\t\[ *[0-9]+\]/ {print $NF; next}
               table {table = 0}' <<<"$headers" | sort | tr '\n' ' ')
imports=$(awk '/DLL Name:/ {print $3}' <<<"$headers" | sort -u | tr '\n' ' ')
echo "exports: $exports"
echo "imports: $imports"

[ "$exports" = "kelmora kelmora_version miSetModuleHandle " ] || problem "exports '$exports'"
[ -n "$imports" ] || problem "has no import table"
for dll in $imports; do
    case ${dll,,} in
        kernel32.dll | msvcrt.dll | api-ms-win-crt-*.dll) ;;
        *) problem "imports $dll" ;;
    esac
done

[ $fail -eq 0 ] && echo "PASS: $plugin"
exit $fail
