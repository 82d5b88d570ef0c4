#!/usr/bin/env bash
# kestroprobe selfplay from outside: the built-in player against sjeng on a new
# account (an empty home, which the preloaded fake_home makes the password
# entry's home too); the game must not stall and its record must replay.
# usage: selfplay_check.sh KESTROPROBE FAKE_HOME_LIBRARY
set -euo pipefail
probe=$1 fake_home=$2
[ -x /usr/games/sjeng ] || { echo "sjeng is not installed: skipped"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home"
status=0
HOME="$work/home" LD_PRELOAD="$fake_home" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
  "$probe" selfplay kvx500 sjeng kvx100 sjeng 40 >"$work/out" 2>"$work/err" || status=$?
cat "$work/out" "$work/err"
[ "$status" -eq 0 ] || { echo "selfplay ended with $status"; exit 1; }
grep -Eq '^end (mate|over|plies)$' "$work/out" || { echo "the game did not end by mate, a said end or plies"; exit 1; }
[ "$(grep -c '^seat ' "$work/out")" -eq 4 ] || { echo "not four seat lines"; exit 1; }
grep -q '^seat sjeng moves [1-9]' "$work/out" || { echo "sjeng made no move"; exit 1; }
[ -d "$work/home/.sjeng" ] || { echo "sjeng did not start on the new account"; exit 1; }
# The record pane, cut from the output by its byte count, replays move for move.
python3 - "$work/out" "$work/game.bpgn" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
head, rest = data.split(b'\n', 1)
size = int(head.split()[1])
open(sys.argv[2], 'wb').write(rest[:size])
PY
"$probe" replay "$work/game.bpgn" >"$work/replay"
head -1 "$work/replay"
grep -q 'failed=0' "$work/replay" || { echo "the record does not replay"; exit 1; }
echo "selfplay check passed"
