#!/usr/bin/env bash
# Kestrovane on Debian 12:
#   ./kestro.sh run    install what is missing, build, say what the build holds
#   ./kestro.sh test   install what is missing, build, run every test
set -Eeuo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")"
ROOT=$PWD
JOBS=$(nproc)
BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)  # clang++ and its libFuzzer runtime
FUZZ_SECONDS=60

STEP="start"
TIMES=()
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

on_error() {
  local rc=$?
  printf '\nkestro: FAILED in step "%s" (exit code %s, line %s)\n' "$STEP" "$rc" "$1" >&2
  exit "$rc"
}
trap 'on_error "$LINENO"' ERR

die() {
  printf '\nkestro: FAILED in step "%s": %s\n' "$STEP" "$*" >&2
  exit 1
}

# Runs one named step and keeps its time.
step() {
  local name=$1 start=$SECONDS
  shift
  STEP=$name
  printf '\n== %s\n' "$name"
  "$@"
  TIMES+=("$(printf '  %-40s %5ds' "$name" $((SECONDS - start)))")
}

installed() {
  [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" = "install ok installed" ]
}

# install_packages PACKAGE...: installs those that are missing.
install_packages() {
  local missing=() p
  for p in "$@"; do
    installed "$p" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    echo "all needed packages are installed"
    return
  fi
  command -v apt-get >/dev/null || die "missing packages ${missing[*]} and no apt-get (this script expects Debian 12)"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || die "missing packages ${missing[*]}: run as root or install sudo"
    sudo=(sudo)
  fi
  echo "installing: ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  for p in "${missing[@]}"; do
    installed "$p" || die "package $p is still not installed"
  done
}

# configure DIR COMPILER [cmake options...]: the compiler is fixed when the
# build folder is first made (changing it later would wipe the cache).
configure() {
  local dir=$1 compiler=$2
  shift 2
  local pick=()
  [ -f "$dir/CMakeCache.txt" ] || pick=("-DCMAKE_CXX_COMPILER=$compiler")
  cmake -S "$ROOT" -B "$dir" -G Ninja "${pick[@]}" "$@"
}

build_main() {
  configure build g++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_SANITIZE=OFF -DKESTRO_BENCH=ON -DKESTRO_WERROR=ON
  cmake --build build -j "$JOBS"
}

ctest_in() {
  ctest --test-dir "$1" --output-on-failure --no-tests=error --timeout 300 -j "$JOBS"
}

build_asan() {
  configure build-asan g++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_SANITIZE=ON -DKESTRO_BENCH=OFF
  cmake --build build-asan -j "$JOBS"
}

build_fuzz() {
  configure build-fuzz clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_FUZZ=ON -DKESTRO_BENCH=OFF
  cmake --build build-fuzz -j "$JOBS" --target move_fuzz
}

run_fuzz() {
  local work
  work=$(mktemp -d "${TMPDIR:-/tmp}/kestro-fuzz.XXXXXX")
  mkdir "$work/corpus"
  echo "fuzzing the move player for ${FUZZ_SECONDS}s (output in $work)"
  # New inputs go to the first folder (a temporary one); the committed seeds
  # in tests/fuzz/corpus are only read.
  local rc=0
  timeout -k 10 $((FUZZ_SECONDS + 90)) build-fuzz/tests/move_fuzz \
    -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/corpus" "$ROOT/tests/fuzz/corpus" >"$work/log" 2>&1 || rc=$?
  if [ "$rc" -ne 0 ]; then
    tail -n 120 "$work/log"
    local input
    for input in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
      [ -f "$input" ] || continue
      printf '\nfailing input %s (base64, then as text):\n' "$input"
      base64 "$input"
      cat -v "$input"
      echo
      echo "replay: build-fuzz/tests/move_fuzz $input"
    done
    if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
      die "the fuzzer did not stop within $((FUZZ_SECONDS + 90))s (log: $work/log)"
    fi
    die "the fuzzer found a crash, a leak or an unsound position (exit code $rc, log: $work/log)"
  fi
  grep -E '^move_fuzz:|^stat::number_of_executed_units|^stat::peak_rss_mb|^Done ' "$work/log" || true
  rm -rf "$work"
}

run_bench() {
  build/tests/rules_bench --benchmark_min_time=0.05
}

print_times() {
  printf '\n== Timings\n'
  printf '%s\n' "${TIMES[@]}"
}

usage() {
  cat <<'USAGE'
usage: ./kestro.sh run | test
  run   install missing Debian packages, build (in build/), say what the build holds
  test  install missing Debian packages, build, and run the unit tests, the
        sanitizer build of the tests, 60 seconds of fuzzing and the benchmark
USAGE
}

case "${1:-}" in
  run)
    step "install missing packages" install_packages "${BUILD_PACKAGES[@]}"
    step "build (build/)" build_main
    print_times
    cat <<'MSG'

Kestrovane: this build holds the bughouse rules library and its tools (unit
tests and the rules benchmark, build/tests/rules_bench). It has no game window,
so there is no program to start.
MSG
    ;;
  test)
    total=$SECONDS
    step "install missing packages" install_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    step "build (build/)" build_main
    step "unit tests (build/)" ctest_in build
    step "build with ASan+UBSan (build-asan/)" build_asan
    step "unit tests with ASan+UBSan" ctest_in build-asan
    step "build fuzzer (build-fuzz/, clang++)" build_fuzz
    step "fuzz the move player" run_fuzz
    step "benchmark (quick run)" run_bench
    print_times
    printf '  %-40s %5ds\n' "total" $((SECONDS - total))
    echo
    echo "steps: ${#TIMES[@]} passed, 0 failed"
    ;;
  -h | --help | help)
    usage
    ;;
  *)
    usage >&2
    exit 2
    ;;
esac
