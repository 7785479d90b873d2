#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer
# (GCC, -O1) in build-asan/, then run by ctest; any report fails its test.
#   tools/sanitize.sh [ctest arguments]       (SANITIZE_JOBS=n: build and test jobs)
# SANITIZE_TESTS=regex builds only the test programs so named (test_<area>_<folder>).
# Prints the summary and the output of the tests that failed (all of it: build-asan/test.log).
set -eu
cd "$(dirname "$0")/.."
root=$PWD
. tools/common.sh
vormant_install_missing
jobs=${SANITIZE_JOBS:-$(nproc 2>/dev/null || echo 2)}
flags="-O1 -g1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined"
mkdir -p build-asan
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVORMANT_PACK_CONTENT=ON -DVORMANT_SHARED=ON -DVORMANT_FUZZ_DRIVERS=ON $(vormant_launcher) \
      -DVORMANT_TEST_FILTER="${SANITIZE_TESTS:-.*}" \
      -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" \
      -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >build-asan/cmake.log 2>&1 ||
    { cat build-asan/cmake.log; exit 1; }
if ! cmake --build build-asan -j"$jobs" >build-asan/build.log 2>&1; then
    grep -E "error|Error" build-asan/build.log | head -40
    echo "Sanitizer build failed; the whole log is build-asan/build.log"
    exit 1
fi
# Leaks count (fontconfig's process-long configuration aside); a report ends the
# program with an error so that its test fails.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The replays are compared with frame reuse on and off in the test step; here each
# is played once.
export VORMANT_REPLAY_REUSE_CHECK=0
export LSAN_OPTIONS=suppressions=$root/tools/lsan.supp:print_suppressions=0
cd build-asan
status=0
vormant_ctest "$jobs" 200 "$@" || status=$?
exit "$status"
