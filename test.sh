#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -eu
cd "$(dirname "$0")"
. tools/common.sh
vormant_install_missing
mkdir -p build
vormant_build
cd build
ctest --output-on-failure -j"$(nproc 2>/dev/null || echo 2)" "$@"
