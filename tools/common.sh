# Shared by play.sh, test.sh and the CI scripts: install what is missing, build, test.
PACKAGES="build-essential cmake pkg-config git libsdl2-dev libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
libmpg123-dev libvorbis-dev libmp3lame-dev libstb-dev libgtest-dev libgmock-dev googletest libbenchmark-dev xvfb xauth"

# Installs the game's packages, or those named as arguments, where missing.
vormant_install_missing() {
  local missing=""
  for p in ${*:-$PACKAGES}; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  [ -z "$missing" ] && return 0
  echo "Installing:$missing"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq >/dev/null
  $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

# The compiler launcher for cmake: ccache where it is installed (none with
# CCACHE_DISABLE set), so that a build with a kept cache compiles only what changed.
vormant_launcher() {
  if command -v ccache >/dev/null && [ -z "${CCACHE_DISABLE:-}" ]; then
    echo "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
  fi
}

vormant_build() {
  local jobs
  jobs=$(nproc 2>/dev/null || echo 2)
  mkdir -p build
  # shellcheck disable=SC2046
  cmake -S . -B build -DCMAKE_BUILD_TYPE=${VORMANT_BUILD_TYPE:-Release} -DVORMANT_PACK_CONTENT=ON $(vormant_launcher) \
    >build/cmake.log 2>&1 ||
    { cat build/cmake.log; return 1; }
  if ! cmake --build build -j"$jobs" >build/build.log 2>&1; then
    grep -E "error|Error" build/build.log | head -40
    echo "Build failed; the whole log is build/build.log"
    return 1
  fi
  # The build stays free of warnings: show any that this build printed.
  VORMANT_WARNINGS=$(grep -c "warning:" build/build.log || true)
  if [ "$VORMANT_WARNINGS" -gt 0 ]; then
    grep -A3 "warning:" build/build.log | head -40
    echo "$VORMANT_WARNINGS build warnings; the whole log is build/build.log"
  fi
}

# Runs ctest in the current (build) folder with $1 jobs and the arguments after $2,
# its output in test.log.  Prints the summary (the share of tests passed, the time,
# the labels' totals, what failed) and the output of the tests that failed (kept in
# test-failures.log; only its last $2 lines when $2 is above 0).  Returns ctest's status.
vormant_ctest() {
  local jobs=$1 lines=$2 status=0
  shift 2
  ctest -j"$jobs" "$@" >test.log 2>&1 || status=$?
  sed -n '/tests passed/,$p' test.log | grep -v "^$" || tail -n 20 test.log
  if [ "$status" -ne 0 ]; then
    echo
    echo "Output of the tests that failed:"
    ctest --rerun-failed --output-on-failure >test-failures.log 2>&1 || true
    if [ "$lines" -gt 0 ]; then tail -n "$lines" test-failures.log; else cat test-failures.log; fi
  fi
  return "$status"
}
