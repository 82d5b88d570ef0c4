#!/usr/bin/env bash
# LibreOffice's first start on a machine, two conversions at the same moment.
#
#   devtools/office_race_check.sh [BUILD_DIR]     (as root; BUILD_DIR defaults to build)
#
# On its first start soffice makes one machine-wide folder, uno_packages/cache/
# uno_packages (its shared extension cache): it finds the folder missing, makes
# it a moment later and aborts ("WrappedTargetRuntimeException", exit code 1,
# nothing written) when another soffice made it in between. In a private mount
# namespace an empty tmpfs hides the machine's cache folder, so every run here is
# a first start, and a soffice wrapper holds each start 3 s before that mkdir, so
# the loss is certain. Three rounds, each on a fresh empty cache folder:
#   1. two conversions with a profile of their own only (the old command line):
#      one of them must fail;
#   2. two conversions that also have a shared cache of their own beside the
#      profile (the tests' command line): both must succeed, the machine's
#      folder stays empty;
#   3. the viewer's three LibreOffice tests at the same moment: all must pass.
# Needs unshare, mount, strace and soffice; not part of the test run.
set -Eeuo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)

if [ "${OFFICE_RACE_INSIDE:-}" != 1 ]; then
  [ "$(id -u)" -eq 0 ] || { echo "run as root (a private mount namespace is needed)"; exit 2; }
  for tool in unshare mount strace soffice; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 2; }
  done
  [ -x "$BUILD/bin/tools_tests" ] || { echo "no $BUILD/bin/tools_tests: build first"; exit 2; }
  OFFICE_RACE_INSIDE=1 exec unshare --mount --propagation private "$0" "$BUILD"
fi

SOFFICE=$(command -v soffice)
PROGRAM=$(dirname "$(readlink -f "$SOFFICE")")
# The path soffice makes (through the share folder's link into the spool folder).
CACHE="$(dirname "$PROGRAM")/share/uno_packages/cache"
[ -d "$CACHE" ] || { echo "no shared extension cache folder at $CACHE"; exit 2; }
CACHE_REAL=$(readlink -f "$CACHE")

WORK=$(mktemp -d "${TMPDIR:-/tmp}/office-race.XXXXXX")
trap 'umount "$CACHE_REAL" 2>/dev/null || true; rm -rf "$WORK"' EXIT
printf '{\\rtf1\\ansi Kestrovane report}' >"$WORK/report.rtf"
mkdir "$WORK/bin"
cat >"$WORK/bin/soffice" <<EOF
#!/bin/sh
exec strace -f -qq -o /dev/null -e trace=mkdir -e inject=mkdir:delay_enter=3s -P "$CACHE/uno_packages" "$SOFFICE" "\$@"
EOF
chmod +x "$WORK/bin/soffice"

fresh_cache() {
  umount "$CACHE_REAL" 2>/dev/null || true
  mount -t tmpfs kestro-office-race "$CACHE_REAL"
}

# convert NAME [soffice options]: one conversion into $WORK/NAME.
convert() {
  local name=$1
  shift
  mkdir -p "$WORK/$name"
  local rc=0
  "$WORK/bin/soffice" "-env:UserInstallation=file://$WORK/$name/profile" "$@" --headless --convert-to txt \
    --outdir "$WORK/$name" "$WORK/report.rtf" >"$WORK/$name.log" 2>&1 || rc=$?
  echo "$rc" >"$WORK/$name.rc"
}

# round NAME EXTRA: two conversions at once; MADE = how many wrote their file.
round() {
  local name=$1 extra=$2 i
  MADE=0
  fresh_cache
  for i in 1 2; do
    local options=()
    [ "$extra" = shared ] && options=("-env:UNO_SHARED_PACKAGES_CACHE=file://$WORK/$name$i/shared")
    convert "$name$i" "${options[@]}" &
  done
  wait
  for i in 1 2; do
    if [ -s "$WORK/$name$i/report.txt" ]; then
      MADE=$((MADE + 1))
    else
      echo "   $name$i wrote nothing: exit code $(cat "$WORK/$name$i.rc"), $(grep -v javaldx "$WORK/$name$i.log" | tr '\n' ' ')"
    fi
  done
}

status=0
echo "1. old command line (a profile of its own only), two conversions at once"
round old none
if [ "$MADE" -lt 2 ]; then
  echo "   race reproduced: $MADE of 2 conversions wrote their file"
else
  echo "   FAILED: the race did not show (both conversions wrote their file)"
  status=1
fi

echo "2. the tests' command line (profile and shared cache of its own), two conversions at once"
round new shared
left=$(ls -A "$CACHE_REAL")
if [ "$MADE" -eq 2 ] && [ -z "$left" ]; then
  echo "   mended: 2 of 2 conversions wrote their file; the machine's cache folder was not touched"
else
  echo "   FAILED: $MADE of 2 conversions wrote their file; in the machine's cache folder: ${left:-nothing}"
  status=1
fi

echo "3. the viewer's three LibreOffice tests at the same moment"
fresh_cache
tests=(SavedReportReadsBackInLibreOfficeWithItsFontsAndSizes SavedReportShowsItsDiagramsInTheChessFontInOtherPrograms
       Utf8AndWindows1252FilesShowTheSameNamesAndComments)
pids=()
for t in "${tests[@]}"; do
  PATH="$WORK/bin:$PATH" QT_QPA_PLATFORM=offscreen "$BUILD/bin/tools_tests" --gtest_filter="ViewerTest.$t" \
    >"$WORK/$t.log" 2>&1 &
  pids+=($!)
done
for i in "${!tests[@]}"; do
  if wait "${pids[$i]}" && grep -q '^\[  PASSED  \] 1 test' "$WORK/${tests[$i]}.log"; then
    echo "   passed: ${tests[$i]}"
  else
    echo "   FAILED: ${tests[$i]}"
    cat "$WORK/${tests[$i]}.log"
    status=1
  fi
done

[ "$status" -eq 0 ] && echo "office race check: passed" || echo "office race check: FAILED"
exit "$status"
