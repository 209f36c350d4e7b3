#!/usr/bin/env bash
# The game at a real terminal (tmux) and on a machine without libedit.
#
# 1. A build that finds no libedit (pkg-config is pointed at an empty folder,
#    as on a machine without libedit-dev): configure must succeed and say in
#    one line what was left out and which package brings it; the program must
#    not link libedit. It is played in tmux at 40x10 with the terminal's own
#    line editing: rules one row wide, lines wrapped between words, a resize
#    in the middle of a typed line, and the command read whole.
# 2. The test build (with libedit, build/test) played in tmux at 80x24: after
#    a few moves the tmux history holds every earlier screen, in order, and no
#    key hint is left on any of them.
# 3. The test build at 60x24: the title's story and the shore each wrapped as
#    one paragraph, and the key hint on a row of its own below the title.
# tmux is installed when it is missing.
set -euo pipefail
cd "$(dirname "$0")/../.."

if ! command -v tmux >/dev/null; then
  echo "installing: tmux"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq tmux </dev/null
fi

fail() {
  echo "terminal: $*" >&2
  exit 1
}

# --- 1. Without libedit -------------------------------------------------------
rm -rf build/noedit
empty=$(mktemp -d)
configured=$(PKG_CONFIG_LIBDIR=$empty cmake --preset release -B build/noedit 2>&1) ||
  fail "configure failed without libedit:"$'\n'"$configured"
rmdir "$empty"
said=$(grep -c 'libedit' <<<"$configured" || true)
[ "$said" -eq 1 ] || fail "configure should name libedit on one line, not $said:"$'\n'"$configured"
grep -q "Line editing left out.*Debian's libedit-dev brings it" <<<"$configured" ||
  fail "configure did not say what was left out:"$'\n'"$configured"
nice cmake --build build/noedit
if ldd build/noedit/tidewrack | grep -q libedit; then fail "the build without libedit links it"; fi

server=tidewrack-ci-$$
play=$(mktemp -d)
trap 'tmux -L "$server" kill-server 2>/dev/null || true; rm -rf "$play"' EXIT
tmx() { tmux -L "$server" "$@"; }

# wait_for TEXT: until the visible screen shows TEXT (10 s at most).
wait_for() {
  local deadline=$((SECONDS + 10))
  until tmx capture-pane -p -t game | grep -qF -- "$1"; do
    [ "$SECONDS" -lt "$deadline" ] ||
      fail "the screen never showed '$1':"$'\n'"$(tmx capture-pane -p -t game)"
    sleep 0.1
  done
}

started=0
start() {  # start PROGRAM COLUMNS ROWS
  tmx kill-server 2>/dev/null || true
  # Each game on a server of its own: a new session on the socket of a server
  # still shutting down can die with it ("server exited unexpectedly").
  started=$((started + 1))
  server=tidewrack-ci-$$-$started
  rm -f "$play"/*
  tmx -f /dev/null new-session -d -s game -x "$2" -y "$3" \
    "cd '$play' && TERM=xterm '$PWD/$1'; sleep 60"
  # tmux would itself move a screen cleared from its top into the history;
  # without that (tmux 3.3 and later), it keeps only what the game scrolled
  # up there, as xterm and the Linux console do.
  tmx set-option -gw scroll-on-clear off 2>/dev/null || true
}

start build/noedit/tidewrack 40 10
wait_for '[press a key]'
tmx send-keys -t game x
wait_for 'What now?'
# Configure said what was left out; the game says nothing of it.
! tmx capture-pane -p -t game | grep -qF 'line editing' ||
  fail "the build without libedit speaks of it at play:"$'\n'"$(tmx capture-pane -p -t game)"
tmx send-keys -t game east Enter
wait_for 'You are near a coral reef'
tmx send-keys -t game north Enter
wait_for 'A book of waterproof'
screen=$(tmx capture-pane -p -t game)
grep -qx '________________________________________' <<<"$screen" || fail "no rule 40 wide:"$'\n'"$screen"
grep -qx 'You see: Wreckage. A book of waterproof' <<<"$screen" &&
  grep -qx 'matches. *' <<<"$screen" || fail "the wreck's line is not wrapped between words:"$'\n'"$screen"
# A resize while a line is typed: the line goes on, and the game reads it whole.
tmx send-keys -t game inv
sleep 0.3
tmx resize-window -t game -x 60 -y 12
wait_for '____________________________________________________________'
tmx send-keys -t game entory Enter
wait_for 'A life preserver'
echo "terminal: the build without libedit configured, built and played at 40 and 60 columns"

# --- 2. Every screen kept in the scrollback -----------------------------------
[ -x build/test/tidewrack ] || fail "no build/test/tidewrack: run the test workflow first"
start build/test/tidewrack 80 24
wait_for '[press a key]'
tmx send-keys -t game x
wait_for 'What now?'
tmx send-keys -t game east Enter
wait_for 'swimming among'
tmx send-keys -t game north Enter
wait_for 'A book of waterproof matches'
tmx send-keys -t game south Enter
wait_for 'swimming among'
history=$(tmx capture-pane -p -S - -t game)
# Each screen in turn, from the title on, in the order they were shown.
expected=('Good luck, castaway.' 'You are on a tropical shore.' 'What now?  east'
  'You are near a coral reef' 'What now?  north' 'You are at a coral reef strewn'
  'What now?  south' 'You are near a coral reef')
line=0
for text in "${expected[@]}"; do
  found=$(tail -n +$((line + 1)) <<<"$history" | grep -nF -m1 -- "$text" | cut -d: -f1) ||
    fail "the history lacks '$text' after line $line:"$'\n'"$history"
  line=$((line + found))
done
! grep -qF '[press a key]' <<<"$history" || fail "a key hint was left on the screen:"$'\n'"$history"
echo "terminal: every screen kept in the tmux history, in order"

# --- 3. Paragraphs at 60 columns ----------------------------------------------
# rows ROW...: every ROW is a whole row of the visible screen.
rows() {
  local screen row
  screen=$(tmx capture-pane -p -t game)
  for row in "$@"; do
    grep -qxF -- "$row" <<<"$screen" || fail "no row '$row' at 60 columns:"$'\n'"$screen"
  done
}
start build/test/tidewrack 60 24
wait_for '[press a key]'
rows '     You were sailing your small boat across the warm' \
  'southern seas, on a holiday you had more than earned, when a' \
  'storm came up out of nowhere and drove you onto a reef.  The' \
  'boat went down in minutes.  Some time later you woke up on a' \
  '          Good luck, castaway.  You are going to need it.' '[press a key]'
tmx send-keys -t game x
wait_for 'What now?'
rows 'You are on a tropical shore. The sea stretches away to the' \
  'east, and to the north the beach curls round into a small' 'cove.'
! tmx capture-pane -p -S - -t game | grep -qF '[press a key]' || fail "the key hint was left behind"
echo "terminal: paragraphs wrapped whole at 60 columns, the key hint below the title"
