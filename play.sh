#!/usr/bin/env bash
# Installs what is missing, builds, and plays the demo.
set -eu
cd "$(dirname "$0")"
. tools/common.sh
vormant_install_missing
mkdir -p build
vormant_build play
cd build/game
exec ./vormant
