#!/usr/bin/env bash
# Kestrovane on Debian 12:
#   ./kestro.sh run [FILE]   install what is missing, build, start the program
#   ./kestro.sh test         install what is missing, build, run every test
set -Eeuo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")"
ROOT=$PWD
JOBS=$(nproc)
BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
                qt6-base-dev qt6-multimedia-dev libgl-dev fonts-dejavu-core fontconfig)
SMOKE_PACKAGES=(xvfb)  # an X server without a screen, to start the program in the tests
REPORT_PACKAGES=(libreoffice-writer-nogui poppler-utils)  # reads back the saved RTF reports in the tests
ENGINE_PACKAGES=(sjeng)  # a real XBoard engine for the engine agent's tests
# What a desktop asks of the .bpgn registration: xdg-mime with the mime
# database reader it falls back on without a desktop, and the desktop database.
DESKTOP_PACKAGES=(xdg-utils libfile-mimeinfo-perl desktop-file-utils shared-mime-info)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)  # clang++ and its libFuzzer runtime
FUZZ_SECONDS=45

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

# A skipped test counts as a failure: every tool the tests need is installed.
ctest_in() {
  local log rc=0 skipped=0
  log=$(mktemp "${TMPDIR:-/tmp}/kestro-ctest.XXXXXX")
  ctest --test-dir "$1" --output-on-failure --no-tests=error --timeout 300 -j "$JOBS" | tee "$log" || rc=$?
  grep -q 'tests did not run' "$log" && skipped=1
  rm -f "$log"
  [ "$rc" -eq 0 ] || return "$rc"
  [ "$skipped" -eq 0 ] || die "some tests were skipped (listed above)"
}

# The sanitizers check the game library and its tests; Qt's own libraries are
# not built for them.
build_asan() {
  configure build-asan g++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_SANITIZE=ON -DKESTRO_BENCH=OFF -DKESTRO_GUI=OFF
  cmake --build build-asan -j "$JOBS"
}

build_fuzz() {
  configure build-fuzz clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_FUZZ=ON -DKESTRO_BENCH=OFF
  cmake --build build-fuzz -j "$JOBS" --target move_fuzz replay_fuzz net_fuzz
}

# run_fuzz TARGET SEEDS WHAT: runs one fuzz target for FUZZ_SECONDS.
run_fuzz() {
  local target=$1 seeds=$2 what=$3 work
  work=$(mktemp -d "${TMPDIR:-/tmp}/kestro-fuzz.XXXXXX")
  mkdir "$work/corpus"
  echo "fuzzing $what for ${FUZZ_SECONDS}s (output in $work)"
  # New inputs go to the first folder (a temporary one); the committed seeds
  # are only read.
  local rc=0
  timeout -k 10 $((FUZZ_SECONDS + 90)) "build-fuzz/bin/$target" \
    -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/corpus" "$ROOT/tests/fuzz/$seeds" >"$work/log" 2>&1 || rc=$?
  if [ "$rc" -ne 0 ]; then
    tail -n 120 "$work/log"
    local input
    for input in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
      [ -f "$input" ] || continue
      printf '\nfailing input %s (base64, then as text):\n' "$input"
      base64 "$input"
      cat -v "$input"
      echo
      echo "replay: build-fuzz/bin/$target $input"
    done
    if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
      die "the fuzzer did not stop within $((FUZZ_SECONDS + 90))s (log: $work/log)"
    fi
    die "the fuzzer found a crash, a leak or a fault (exit code $rc, log: $work/log)"
  fi
  grep -E "^$target:|^stat::number_of_executed_units|^stat::peak_rss_mb|^Done " "$work/log" || true
  rm -rf "$work"
}

fuzz_move_player() { run_fuzz move_fuzz corpus "the move player"; }
fuzz_replay() { run_fuzz replay_fuzz replay_corpus "loading and replay"; }
fuzz_net() { run_fuzz net_fuzz net_corpus "the network frames and processors"; }

# Starts the program on a game file on a virtual X server and checks that it
# is still running a few seconds later, then ends both.
smoke_program() {
  local work rc=0 xvfb program display=""
  work=$(mktemp -d "${TMPDIR:-/tmp}/kestro-smoke.XXXXXX")
  printf '[Event "Smoke"]\r\n[WhiteA "a"][BlackA "b"][WhiteB "c"][BlackB "d"]\r\n1A.e4{180} 1a.e5{180} 1B.d4{180} 1b.d5{179}\r\n' \
    >"$work/smoke.bpgn"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  for _ in $(seq 300); do  # up to 30 s on a loaded machine
    display=$(cat "$work/display")
    [ -n "$display" ] && break
    sleep 0.1
  done
  if [ -z "$display" ]; then
    kill "$xvfb" 2>/dev/null || true
    cat "$work/xvfb.log"
    die "Xvfb did not start"
  fi
  DISPLAY=":$display" XDG_CONFIG_HOME="$work" XDG_DATA_HOME="$work" XDG_CACHE_HOME="$work" QT_QPA_PLATFORM=xcb \
    build/bin/kestrovane "$work/smoke.bpgn" >"$work/log" 2>&1 &
  program=$!
  sleep 4
  if ! kill -0 "$program" 2>/dev/null; then
    wait "$program" || rc=$?
    kill "$xvfb" 2>/dev/null || true
    cat "$work/log"
    die "the program ended by itself within 4 seconds (exit code $rc)"
  fi
  kill "$program"
  wait "$program" || true
  kill "$xvfb"
  wait "$xvfb" || true
  echo "the program ran on Xvfb display :$display"
  rm -rf "$work"
}

run_program() {
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    die "no display to show the program on (DISPLAY and WAYLAND_DISPLAY are not set)"
  fi
  echo "starting build/bin/kestrovane $*"
  exec build/bin/kestrovane "$@"
}

run_bench() {
  build/bin/rules_bench --benchmark_min_time=0.05
  # Makes and checks its 10,000 games first (a few seconds), then times them.
  build/bin/records_bench --benchmark_min_time=0.05
  # Writes 250 to 2,000 generated games into the report pane (aim: 1,000 under 5 s).
  QT_QPA_PLATFORM=offscreen build/bin/report_bench --benchmark_min_time=0.05
  # Repairs one generated file of 10,000 damaged games; the aim is under 2 s.
  build/bin/repair_bench --benchmark_min_time=0.05
  # The built-in player's move choice per level; level 700 must answer within a second.
  build/bin/engine_bench --benchmark_min_time=0.05
  # A server and 8 clients on loopback relay 10,000 moves (aim: median under
  # 1 ms, 99th percentile under 5 ms); the same through the real server window
  # and through 8 client windows, beside a minimal relay; drawing a move in a
  # board window; the frame cutter's speed per read size.
  QT_QPA_PLATFORM=offscreen build/bin/net_bench --benchmark_min_time=0.05
  # The engine timer's tick with four sjeng engines playing (median tick, the
  # window's CPU between ticks).
  QT_QPA_PLATFORM=offscreen build/bin/engine_tick_bench
}

print_times() {
  printf '\n== Timings\n'
  printf '%s\n' "${TIMES[@]}"
}

usage() {
  cat <<'USAGE'
usage: ./kestro.sh run [FILE...] | test
  run   install missing Debian packages, build (in build/) and start the
        program, build/bin/kestrovane, passing it FILE (a .bpgn or .pgn game
        file to open in a viewer)
  test  install missing Debian packages, build, and run the unit tests, the
        program under Xvfb, the sanitizer build of the game library's tests,
        45 seconds of fuzzing for each of three targets and the benchmarks
USAGE
}

case "${1:-}" in
  run)
    shift
    step "install missing packages" install_packages "${BUILD_PACKAGES[@]}"
    step "build (build/)" build_main
    print_times
    STEP="start the program"
    run_program "$@"
    ;;
  test)
    total=$SECONDS
    step "install missing packages" install_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}" "${SMOKE_PACKAGES[@]}" \
      "${REPORT_PACKAGES[@]}" "${ENGINE_PACKAGES[@]}" "${DESKTOP_PACKAGES[@]}"
    step "build (build/)" build_main
    step "unit tests (build/)" ctest_in build
    step "start the program under Xvfb" smoke_program
    step "build game with ASan+UBSan (build-asan/)" build_asan
    step "game tests with ASan+UBSan" ctest_in build-asan
    step "build fuzzer (build-fuzz/, clang++)" build_fuzz
    step "fuzz the move player" fuzz_move_player
    step "fuzz loading and replay" fuzz_replay
    step "fuzz the network frames and processors" fuzz_net
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
