#!/usr/bin/env bash
# Builds the workbench on Debian 12, installing the packages it needs when missing.
#   scripts/build.sh run    build and start the program
#   scripts/build.sh test   build and run every test, plainly and under the sanitizers, then
#                           fuzz every file reader for FUZZ_SECONDS (default 8) each
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mode="${1:-run}"
jobs="$(nproc)"

packages=(cmake g++ ninja-build ccache pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev libfftw3-dev libjpeg62-turbo-dev fonts-liberation2)

# The tests that read and write numbers under a decimal-comma locale need one generated.
locale_packages=(locales)

# The fuzzing stage alone needs clang and its libFuzzer runtime.
fuzz_packages=(clang-14 libclang-rt-14-dev)

# The movie tests also read the AVI files they write with ffprobe, a reader apart from ours
# (Debian's ffmpeg: some 85 packages without its recommendations, a minute or two to
# install); without it that check skips.
probe_packages=(ffmpeg)

# The printing tests read the text of the PDF files they print with pdftotext, a reader
# apart from ours; without it that check skips.
text_packages=(poppler-utils)

# install_missing [--no-install-recommends] <package>...
install_missing() {
  local options=()
  if [ "${1:-}" = "--no-install-recommends" ]; then
    options+=("$1")
    shift
  fi
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${options[@]}" "${missing[@]}"
  fi
}

# Generates de_DE.UTF-8 and ru_RU.UTF-8 when missing (a clean Debian has only C and POSIX):
# the tests that read and write numbers under a decimal comma try both; without root they
# are skipped instead.
ensure_comma_locale() {
  local missing=()
  for name in de_DE ru_RU; do
    locale -a 2>/dev/null | grep -qi -E "^${name}\.utf-?8$" || missing+=("$name")
  done
  if [ "${#missing[@]}" -eq 0 ]; then return 0; fi
  install_missing "${locale_packages[@]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  for name in "${missing[@]}"; do
    $sudo localedef -i "$name" -f UTF-8 "$name.UTF-8" ||
      echo "Could not generate $name.UTF-8: the decimal-comma tests will skip it" >&2
  done
}

# configure_and_build <build-dir> <cmake options...>
configure_and_build() {
  local dir="$1"
  shift
  cmake -S "$root" -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
}

install_missing "${packages[@]}"
# One compiler cache per user, shared by every checkout: paths are hashed relative to the
# checkout, so a fresh clone on a machine that built before compiles little.
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=true
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-8G}"
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

case "$mode" in
  run)
    configure_and_build "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
    exec "$root/build/release/app/workbench"
    ;;
  test)
    ensure_comma_locale
    install_missing --no-install-recommends "${probe_packages[@]}"
    install_missing --no-install-recommends "${text_packages[@]}"
    # The test builds carry no debug information in the plain build and line tables only
    # in the sanitizer and fuzzing builds (whose reports name files and lines), at -O1
    # there, and compile the test files themselves at -O0 in both: together they cut the
    # compile time of a clean build, the longest part of CI, to well under half.
    configure_and_build "$root/build/check" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
      -DBUILD_BENCHMARKS=ON -DENABLE_WERROR="$werror"
    (cd "$root/build/check" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")
    # One clang tree serves the sanitizers and the fuzzing: every library, test and harness
    # is built once with ASan and UBSan, and every library and harness with libFuzzer's
    # coverage counters too (a GCC sanitizer tree beside a clang fuzzing tree compiled the
    # whole code twice more). There each test program runs once, all its cases in one
    # process, the longest in a few parts side by side: a sanitized process takes longer to
    # start than most cases take to run (the plain tree above still runs them one by one).
    # The checks of the sources (layers, one definition per type) ran on the plain tree.
    install_missing "${fuzz_packages[@]}"
    configure_and_build "$root/build/sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
      -DCMAKE_CXX_COMPILER=clang++-14 -DENABLE_FUZZING=ON -DENABLE_WERROR="$werror" \
      -DTEST_PROGRAMS_WHOLE=ON -DSOURCE_CHECKS=OFF
    (cd "$root/build/sanitize" && QT_QPA_PLATFORM=offscreen \
      ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --output-on-failure -j "$jobs")
    # A short fuzzing run of every file reader: a new crash, leak or hang fails the stage.
    FUZZ_JOBS="$jobs" "$root/fuzz/run.sh" "${FUZZ_SECONDS:-8}" "$root/build/sanitize"
    ;;
  *)
    echo "usage: scripts/build.sh run|test" >&2
    exit 2
    ;;
esac
