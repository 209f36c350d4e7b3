#!/usr/bin/env bash
# The wine prefix of the Windows tests, and the one wine server they all use.
#
#   wine_server.sh start WINE WINESERVER   before every test: the prefix made
#   wine_server.sh stop WINESERVER         after the last: the server gone
#
# Left to itself, a wine server shuts down three seconds after its last
# program ends, and a program started while it shuts down is cut off by it
# ("wine client error:0: recvmsg: Connection reset by peer"). On a new prefix
# the shutdown is slow, and a test started then failed now and then. So the
# server is started before the prefix is made and told to stay for a minute
# after its last program, far longer than any pause between the tests' wine
# programs; the last step stops it. A server of an earlier run at the same
# place (a folder made again can be given the inode of the one removed) is
# stopped first.
set -uo pipefail
case "$1" in
  start)
    wine=$2
    server=$3
    mkdir -p "${WINEPREFIX:?}"
    "$server" -k 2>/dev/null
    # The server and the prefix's own programs stay on after this step, so
    # they must not hold its output open: the test runner would wait for them.
    log=$WINEPREFIX/wineboot.log
    "$server" -p60 </dev/null >"$log" 2>&1 || {
      cat "$log"
      exit 1
    }
    "$wine" wineboot --init </dev/null >>"$log" 2>&1
    status=$?
    cat "$log"
    exit "$status"
    ;;
  stop)
    "$2" -k 2>/dev/null
    exit 0
    ;;
  *)
    echo "usage: $0 start WINE WINESERVER | stop WINESERVER" >&2
    exit 2
    ;;
esac
