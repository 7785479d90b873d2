#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.  Prints the summary, and the
# whole output only of the tests that failed (all of it is in build/test.log).  A
# build that printed warnings fails too.
set -eu
cd "$(dirname "$0")"
. tools/common.sh
vormant_install_missing
mkdir -p build
vormant_build
cd build
status=0
ctest -j"$(nproc 2>/dev/null || echo 2)" "$@" >test.log 2>&1 || status=$?
# The summary: the share of tests passed, the time, the labels' totals, what failed.
sed -n '/tests passed/,$p' test.log | grep -v "^$" || tail -n 20 test.log
if [ "$status" -ne 0 ]; then
  echo
  echo "Output of the tests that failed:"
  ctest --rerun-failed --output-on-failure >test-failures.log 2>&1 || true
  cat test-failures.log
fi
if [ "${VORMANT_WARNINGS:-0}" -gt 0 ] && [ "$status" -eq 0 ]; then
  echo "The build printed $VORMANT_WARNINGS warnings."
  status=1
fi
exit "$status"
