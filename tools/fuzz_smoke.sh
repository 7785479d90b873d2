#!/usr/bin/env bash
# A short run of every fuzz target in the sanitizer build, where tools/sanitize.sh links
# them with a plain driver: the inputs that once broke a reader (fuzz/inputs/) and the
# seeds made from the game folder, then random mutations of them, for about the given
# time (the targets that play a save stop playing once it is up).  Prints each
# target's runs and seconds.  Not guided by coverage; the coverage-guided runs are
# tools/fuzz.sh.
#   tools/fuzz_smoke.sh [seconds per target]      (default 3)
# A crash or a sanitizer report fails the run; its input is written to fuzz/findings/.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-3}
bin=$root/build-asan/fuzz
[ -x "$bin/fuzz_seeds" ] || { echo "no fuzz targets in build-asan/: run tools/sanitize.sh first"; exit 1; }
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$root/tools/lsan.supp:print_suppressions=0
seeds=$root/build-asan/fuzz-seeds
SEEDGEN=$bin/fuzz_seeds tools/fuzz_seeds.sh "$seeds" >/dev/null
mkdir -p fuzz/findings build-asan/fuzz-logs
# Seconds since a time taken with `date +%s.%N`.
since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }
status=0
printf '%-9s %9s %8s  %s\n' target runs seconds result
for f in "$bin"/fuzz_*; do
    t=${f##*/fuzz_}
    [ "$t" = seeds ] && continue
    # The inputs that once broke a reader first: a target whose inputs play long may
    # see its time up before the last seeds, which are then read but not played.
    dirs=()
    [ -d "fuzz/inputs/$t" ] && dirs+=("$root/fuzz/inputs/$t")
    dirs+=("$seeds/$t")
    log=$root/build-asan/fuzz-logs/$t.log
    start=$(date +%s.%N)
    if "$f" -seconds="$seconds" -artifact_prefix="$root/fuzz/findings/$t-" "${dirs[@]}" >"$log" 2>&1; then
        printf '%-9s %9s %8s  clean\n' "$t" "$(grep -a -o 'runs: [0-9]*' "$log" | grep -o '[0-9]*')" "$(since "$start")"
    else
        printf '%-9s %9s %8s  FAILED (input in fuzz/findings/%s-crash)\n' "$t" "?" "$(since "$start")" "$t"
        grep -a -A30 "ERROR\|runtime error" "$log" | head -40
        status=1
    fi
done
exit $status
