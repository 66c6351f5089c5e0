#!/bin/sh
# Runs one libFuzzer target for ctest and keeps its log. libFuzzer reports a
# finding at length; when it finds one, this ends with the part that says
# what and where (the error line, the top of the stack, the summary and the
# saved input), so it is the last thing a truncated CI log shows.
# Usage: run-fuzzer.sh LOG FUZZER [LIBFUZZER ARGS...]
set -u
log=$1
shift
"$@" >"$log" 2>&1
status=$?
if [ "$status" -eq 0 ]; then
    grep -a '^stat::' "$log"
    exit 0
fi
tail -n 60 "$log"
echo "---- $(basename "$1") failed (exit $status); full log: $log"
grep -a -m 1 -E '^==[0-9]+==ERROR|^[^ ].*runtime error:|^==[0-9]+== ERROR: libFuzzer' "$log"
grep -a -m 16 -E '^ +#([0-9]|1[0-5]) ' "$log"
grep -a -E '^SUMMARY:|^Base64:|Test unit written to' "$log"
exit "$status"
