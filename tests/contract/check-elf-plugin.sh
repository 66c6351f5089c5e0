#!/usr/bin/env bash
# Checks the built ELF plug-in's contract with the loading process:
#  - its dynamic symbol table defines kelmora and kelmora_version, nothing else;
#  - it names no library to load (no NEEDED entry);
#  - it leaves only the three host functions and the square root undefined
#    (sqrtf where the compiler narrows the double root of a float, which is exact);
#  - it binds them lazily, through PLT relocations (no BIND_NOW).
set -euo pipefail
readelf=$1
plugin=$2
fail=0
problem() { echo "FAIL: $plugin: $*"; fail=1; }

[ -f "$plugin" ] || { echo "FAIL: $plugin does not exist"; exit 1; }
dynsyms=$("$readelf" --dyn-syms -W "$plugin")
dynamic=$("$readelf" -d -W "$plugin")

# Columns: Num Value Size Type Bind Vis Ndx Name
defined=$(awk '$5 ~ /GLOBAL|WEAK/ && $7 != "UND" {print $8}' <<<"$dynsyms" | sort | tr '\n' ' ')
undefined=$(awk '$7 == "UND" && $8 != "" {sub(/@.*/, "", $8); print $8}' <<<"$dynsyms" | sort -u | tr '\n' ' ')
echo "exports:   $defined"
echo "undefined: $undefined"

[ "$defined" = "kelmora kelmora_version " ] || problem "exports '$defined'"
for name in $undefined; do
    case $name in
        mi_trace_eye | mi_vector_to_camera | mi_vector_from_camera | sqrt | sqrtf) ;;
        *) problem "unexpected undefined symbol $name" ;;
    esac
done
for name in mi_trace_eye mi_vector_to_camera mi_vector_from_camera; do
    grep -qw "$name" <<<"$undefined" || problem "does not import $name"
done

if grep -q '(NEEDED)' <<<"$dynamic"; then
    problem "names libraries to load: $(grep '(NEEDED)' <<<"$dynamic" | tr -s ' ')"
fi
if grep -Eq '\(BIND_NOW\)|\(FLAGS\).*NOW|\(FLAGS_1\).*NOW' <<<"$dynamic"; then
    problem "binds eagerly (BIND_NOW)"
fi
grep -q '(JMPREL)' <<<"$dynamic" || problem "has no PLT relocations to bind lazily"

[ $fail -eq 0 ] && echo "PASS: $plugin"
exit $fail
