# Shared by play.sh, test.sh and the CI scripts: install what is missing, build, test.
PACKAGES="build-essential cmake pkg-config git libsdl2-dev libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
libmpg123-dev libvorbis-dev libmp3lame-dev libstb-dev libgtest-dev libgmock-dev googletest libbenchmark-dev xvfb xauth"

# Installs the game's packages, or those named as arguments, where missing.  One line
# says what and how long; apt's own talk is shown only when it fails.
vormant_install_missing() {
  local missing="" start=$SECONDS
  for p in ${*:-$PACKAGES}; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  [ -z "$missing" ] && return 0
  printf 'Installing:%s ...' "$missing"
  local sudo="" log
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  log=$(mktemp)
  export DEBIAN_FRONTEND=noninteractive
  if ! { $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends $missing; } >"$log" 2>&1; then
    echo " failed:"
    cat "$log"
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
  echo " done ($((SECONDS - start)) s)"
}

# The compiler launcher for cmake: ccache where it is installed (none with
# CCACHE_DISABLE set), so that a build with a kept cache compiles only what changed.
vormant_launcher() {
  if command -v ccache >/dev/null && [ -z "${CCACHE_DISABLE:-}" ]; then
    echo "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
  fi
}

# Reads a build's or a test run's output into the file $2 and shows its progress on
# one line, "$1 10% 20% ... 100%", a step each time another tenth is done (make's
# "[ 42%]" lines, ctest's "12/212 Test" lines).
vormant_progress() {
  awk -v title="$1" -v out="$2" '
    BEGIN { printf "%s", title; fflush() }
    {
      print > out
      p = -1
      if (match($0, /^\[ *[0-9]+%\]/)) p = substr($0, RSTART + 1, RLENGTH - 3) + 0
      else if (match($0, /^ *[0-9]+\/[0-9]+ Test/)) { split(substr($0, RSTART, RLENGTH), n, "/"); p = 100 * n[1] / (n[2] + 0) }
      while (shown + 10 <= p) { shown += 10; printf " %d%%", shown; fflush() }
    }'
}

# Builds build/ (the target $1 only, when given; everything by default) with the
# progress on one line.  Sets VORMANT_WARNINGS to the count of warnings printed.
vormant_build() {
  local jobs start=$SECONDS status=0
  jobs=$(nproc 2>/dev/null || echo 2)
  mkdir -p build
  # shellcheck disable=SC2046
  cmake -S . -B build -DCMAKE_BUILD_TYPE=${VORMANT_BUILD_TYPE:-Release} -DVORMANT_PACK_CONTENT=ON $(vormant_launcher) \
    >build/cmake.log 2>&1 ||
    { cat build/cmake.log; return 1; }
  cmake --build build -j"$jobs" ${1:+--target "$1"} 2>&1 | vormant_progress "Building:" build/build.log
  status=${PIPESTATUS[0]}
  echo " ($((SECONDS - start)) s)"
  if [ "$status" -ne 0 ]; then
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
  local start=$SECONDS
  ctest -j"$jobs" "$@" 2>&1 | vormant_progress "Testing:" test.log
  status=${PIPESTATUS[0]}
  echo " ($((SECONDS - start)) s)"
  sed -n '/tests passed/,$p' test.log | grep -v "^$" || tail -n 20 test.log
  if [ "$status" -ne 0 ]; then
    echo
    echo "Output of the tests that failed:"
    ctest --rerun-failed --output-on-failure >test-failures.log 2>&1 || true
    if [ "$lines" -gt 0 ]; then tail -n "$lines" test-failures.log; else cat test-failures.log; fi
  fi
  return "$status"
}
