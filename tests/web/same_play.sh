#!/usr/bin/env bash
# The web edition's game under Node in pipe mode plays a scripted session
# exactly as the native program does: the lines typed in a tests/scripts/*.play
# file go to both, and the screens they show are the same down to the last
# byte, as are the exit status and any saved game. Nothing may go to the
# error stream.
#
#   same_play.sh "NODE [OPTIONS]" NODE_PROGRAM NATIVE_PROGRAM SCRIPT
# Runs in the current folder, which should be one of its own.
set -uo pipefail
read -r -a node <<<"$1"
web=$2
native=$3
script=$4

rm -rf web native ./*.in ./*.out ./*.err
mkdir web native
sed -n 's/^< \{0,1\}//p' "$script" >play.in

web_status=0
(cd web && timeout 60 "${node[@]}" "$web" <../play.in >../web.out 2>../web.err) || web_status=$?
native_status=0
(cd native && timeout 60 "$native" <../play.in >../native.out 2>../native.err) || native_status=$?

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
[ "$web_status" -eq "$native_status" ] ||
  fail "the web program ended with status $web_status, the native one with $native_status"
[ -s native.out ] || fail "the native program showed nothing"
if ! cmp -s web.out native.out; then
  fail "the screens differ (< web, > native):"
  diff web.out native.out | head -n 40
fi
if [ -f native/Kestle_save.txt ] || [ -f web/Kestle_save.txt ]; then
  cmp -s web/Kestle_save.txt native/Kestle_save.txt || fail "the saved games differ"
fi
[ "$(ls -A web)" = "$(ls -A native)" ] || fail "the two left different files: $(ls -A web) / $(ls -A native)"
[ ! -s web.err ] || fail "the web program wrote errors: $(head -c 2000 web.err)"
[ "$failures" -eq 0 ] && echo "same play: $(basename "$script")"
[ "$failures" -eq 0 ]
