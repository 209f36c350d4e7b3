#!/usr/bin/env bash
# Runs a command on a pseudo-terminal of its own, without input, so that a
# program under wine gets a real console; prints the report the program left
# in console_check.log and the command's exit status, and exits with it.
set -u
rm -f console_check.log
command=$(printf '%q ' "$@")
status=0
SHELL=/bin/bash script -qec "$command" /dev/null </dev/null >/dev/null 2>&1 || status=$?
[ -f console_check.log ] && cat console_check.log
echo "status $status"
exit "$status"
