#!/usr/bin/env bash
# The real Windows program in pipe mode plays a scripted session exactly as
# the real Linux program does: the lines typed in a tests/scripts/*.play file
# go to both (with CR LF line ends to Windows, as a Windows text file has
# them), and the screens they show are the same once the Windows line ends
# are made LF, down to the last byte, as are the exit status and any saved
# game. No CR may stray into the text itself.
#
#   same_play.sh WINE WINDOWS_PROGRAM LINUX_PROGRAM SCRIPT
# Runs in the current folder, which should be one of its own.
set -uo pipefail
wine=$1
windows=$2
linux=$3
script=$4

rm -rf windows linux ./*.in ./*.out ./*.err
mkdir windows linux
sed -n 's/^< \{0,1\}//p' "$script" >linux.in
sed 's/$/\r/' linux.in >windows.in

windows_status=0
(cd windows && timeout 60 "$wine" "$windows" <../windows.in >../windows.out 2>../windows.err) ||
  windows_status=$?
linux_status=0
(cd linux && timeout 60 "$linux" <../linux.in >../linux.out 2>../linux.err) || linux_status=$?

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
[ "$windows_status" -eq "$linux_status" ] ||
  fail "the Windows program ended with status $windows_status, the Linux one with $linux_status"
[ -s linux.out ] || fail "the Linux program showed nothing"
if ! cmp -s <(sed 's/\r$//' windows.out) linux.out; then
  fail "the screens differ (< Windows, > Linux):"
  diff <(sed 's/\r$//' windows.out) linux.out | head -n 40
fi
if [ -f linux/Kestle_save.txt ] || [ -f windows/Kestle_save.txt ]; then
  cmp -s <(sed 's/\r$//' windows/Kestle_save.txt) linux/Kestle_save.txt ||
    fail "the saved games differ apart from their line ends"
fi
[ ! -s windows.err ] || fail "the Windows program wrote errors: $(head -c 2000 windows.err)"
[ "$failures" -eq 0 ] && echo "same play: $(basename "$script")"
[ "$failures" -eq 0 ]
