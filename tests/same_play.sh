#!/usr/bin/env bash
# Another edition's program in pipe mode plays a scripted session exactly as
# the native program does: the lines typed in a tests/scripts/*.play file go
# to both, and the screens they show are the same down to the last byte, as
# are the exit status, any saved game and the files each leaves. Nothing may
# go to the error stream. With "crlf", the other program gets its input with
# CR LF line ends (a Windows text file) and its line ends are made LF before
# the comparison; no CR may stray into the text itself.
#
#   same_play.sh NAME "RUNNER [OPTIONS]" PROGRAM NATIVE_PROGRAM SCRIPT [crlf]
# NAME names the other edition in messages; RUNNER runs its PROGRAM (wine,
# node). Runs in the current folder, which should be one of its own.
set -uo pipefail
name=$1
read -r -a runner <<<"$2"
other=$3
native=$4
script=$5
line_ends=${6:-lf}

rm -rf other native ./*.in ./*.out ./*.err
mkdir other native
sed -n 's/^< \{0,1\}//p' "$script" >native.in
if [ "$line_ends" = crlf ]; then
  sed 's/$/\r/' native.in >other.in
  as_lf() { sed 's/\r$//' "$1"; }
else
  cp native.in other.in
  as_lf() { cat "$1"; }
fi

other_status=0
(cd other && timeout 60 "${runner[@]}" "$other" <../other.in >../other.out 2>../other.err) ||
  other_status=$?
native_status=0
(cd native && timeout 60 "$native" <../native.in >../native.out 2>../native.err) ||
  native_status=$?

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
[ "$other_status" -eq "$native_status" ] ||
  fail "the $name program ended with status $other_status, the native one with $native_status"
[ -s native.out ] || fail "the native program showed nothing"
if ! cmp -s <(as_lf other.out) native.out; then
  fail "the screens differ (< $name, > native):"
  diff <(as_lf other.out) native.out | head -n 40
fi
if [ -f native/Kestle_save.txt ] || [ -f other/Kestle_save.txt ]; then
  cmp -s <(as_lf other/Kestle_save.txt) native/Kestle_save.txt ||
    fail "the saved games differ apart from their line ends"
fi
[ "$(ls -A other)" = "$(ls -A native)" ] ||
  fail "the two left different files: $(ls -A other) / $(ls -A native)"
[ ! -s other.err ] || fail "the $name program wrote errors: $(head -c 2000 other.err)"
[ "$failures" -eq 0 ] && echo "same play: $(basename "$script")"
[ "$failures" -eq 0 ]
