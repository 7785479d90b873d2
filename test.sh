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
vormant_ctest "$(nproc 2>/dev/null || echo 2)" 0 "$@" || status=$?
if [ "${VORMANT_WARNINGS:-0}" -gt 0 ] && [ "$status" -eq 0 ]; then
  echo "The build printed $VORMANT_WARNINGS warnings."
  status=1
fi
exit "$status"
