#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/, makes their seeds from the built game
# folder, and runs each target for a while:
#   tools/fuzz.sh [seconds per target] [target ...]      (default 10 s, every target)
# Targets are the names after "fuzz_": pack table troop save index mapdata script
# keyframe xfile wav mp3 ogg image, and field and prep, which play a save in the game
# folder of build/.  FUZZ_JOBS=n runs n targets side by side.
# The corpora grow in fuzz/corpus/<target>/; crashes, leaks and hangs are written to
# fuzz/findings/ and the script fails.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-10}
[ $# -gt 0 ] && shift
targets=("$@")
jobs=${FUZZ_JOBS:-1}
build_jobs=${FUZZ_BUILD_JOBS:-3}

. tools/common.sh
vormant_install_missing
vormant_install_missing clang libclang-rt-14-dev

# The game folder supplies the seeds.
if [ ! -d build/game/map ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVORMANT_PACK_CONTENT=ON >/dev/null
    cmake --build build -j"$build_jobs" --target vormant_content vormant_content_packed >/dev/null
fi
cmake -S . -B build-fuzz -DVORMANT_FUZZ=ON -DCMAKE_BUILD_TYPE=${FUZZ_BUILD_TYPE:-RelWithDebInfo} \
      -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >build-fuzz.log 2>&1 || { cat build-fuzz.log; exit 1; }
if ! cmake --build build-fuzz -j"$build_jobs" >>build-fuzz.log 2>&1; then
    grep -E "error" build-fuzz.log | head -20
    echo "Fuzz build failed; the whole log is build-fuzz.log"
    exit 1
fi
rm -f build-fuzz.log

tools/fuzz_seeds.sh fuzz/corpus/seeds >/dev/null
if [ ${#targets[@]} -eq 0 ]; then
    for f in build-fuzz/fuzz/fuzz_*; do
        name=$(basename "$f")
        [ "$name" = fuzz_seeds ] && continue
        targets+=("${name#fuzz_}")
    done
fi
mkdir -p fuzz/findings fuzz/logs
export LSAN_OPTIONS=suppressions=$root/tools/lsan.supp:print_suppressions=0
# The targets that play a save need a game folder: the fuzz build makes none.
export VORMANT_FUZZ_GAME=$root/build/game

run_one() {
    local t=$1
    # Absolute paths: the targets work in a scratch folder of their own.
    local corpus=$root/fuzz/corpus/$t inputs=$root/fuzz/inputs/$t
    mkdir -p "$corpus"
    local dirs=("$corpus" "$root/fuzz/corpus/seeds/$t")
    [ -d "$inputs" ] && dirs+=("$inputs")
    # The targets that play a save fill the game's process-wide caches as they go
    # (glyphs, sounds, the text converter's modules), so an input's allocations and
    # frees seldom balance and libFuzzer would play nearly every input twice looking
    # for a leak: for them leaks are looked for when the run ends.
    local leaks=()
    case $t in field | prep) leaks=(-detect_leaks=0) ;; esac
    # Hangs: 10 s per input; memory: 2 GB.  The targets' own stderr (headless
    # message boxes) is closed; the sanitizers' reports still come through.
    "$root/build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=2 \
        "${leaks[@]}" -print_final_stats=1 -artifact_prefix="$root/fuzz/findings/$t-" "${dirs[@]}" >"$root/fuzz/logs/$t.log" 2>&1
}

status=0
pids=()
names=()
for t in "${targets[@]}"; do
    [ -x "build-fuzz/fuzz/fuzz_$t" ] || { echo "no target $t"; status=1; continue; }
    run_one "$t" &
    pids+=($!)
    names+=("$t")
    if [ ${#pids[@]} -ge "$jobs" ]; then
        wait "${pids[0]}" || true
        pids=("${pids[@]:1}")
    fi
done
for p in "${pids[@]}"; do wait "$p" || true; done

printf '%-9s %10s %8s %8s %7s  %s\n' target runs exec/s cov ft result
for t in "${names[@]}"; do
    log=fuzz/logs/$t.log
    runs=$(grep -a -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -a -o '[0-9]*$' || echo '?')
    speed=$(grep -a -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -a -o '[0-9]*$' || echo '?')
    cov=$(grep -a -o 'cov: [0-9]*' "$log" | tail -1 | grep -a -o '[0-9]*' || echo '?')
    ft=$(grep -a -o 'ft: [0-9]*' "$log" | tail -1 | grep -a -o '[0-9]*' || echo '?')
    if ls fuzz/findings/"$t"-* >/dev/null 2>&1; then
        result="FINDINGS: $(ls fuzz/findings/"$t"-* | tr '\n' ' ')"
        status=1
    elif grep -q 'ERROR: LeakSanitizer' "$log"; then
        result="leak found when the run ended (see $log)"
        status=1
    elif grep -q 'Done [0-9]* runs' "$log"; then
        result=clean
    else
        result="did not finish (see $log)"
        status=1
    fi
    printf '%-9s %10s %8s %8s %7s  %s\n' "$t" "$runs" "$speed" "$cov" "$ft" "$result"
done
exit $status
