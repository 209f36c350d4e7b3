#!/usr/bin/env bash
# A short game of the real Windows program at a console: wine makes one of a
# pseudo-terminal, and the keys are typed into it one command at a time, each
# once the game shows its prompt (keys typed earlier would be thrown away, as
# the game clears out waiting keys before it asks). Any key at the title, a
# step north, SAVE, back south, the life preserver dropped and a step into
# the sea, then "n" at the play-again question. The program must end with
# status 0 and leave a save of the cove with CR LF line ends.
#
#   console_game.sh WINE WINDOWS_PROGRAM
# Runs in the current folder, which should be one of its own.
set -uo pipefail
wine=$1
program=$2

rm -f keys screen.txt Kestle_save.txt
mkfifo keys
SHELL=/bin/bash script -qec "$(printf '%q ' "$wine" "$program")" /dev/null <keys >screen.txt 2>&1 &
player=$!
exec 4<>keys

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# type_when FIRST THEN KEYS: types the keys once FIRST, and THEN after it,
# have appeared on the screen since the last keys were typed. The console
# draws the screen with its own control sequences, so the texts looked for
# hold no runs of spaces.
typed_at=0
type_when() {
  local first=$1 then=$2 keys=$3 deadline=$((SECONDS + 60)) shown
  for (( ; ; )); do
    shown=$(tail -c +$((typed_at + 1)) screen.txt)
    [[ "$shown" == *"$first"*"$then"* ]] && break
    if [ "$SECONDS" -ge "$deadline" ] || ! kill -0 "$player" 2>/dev/null; then
      fail "the screen never showed '$first' then '$then' to type '${keys%$'\r'}' at"
      return 1
    fi
    sleep 0.1
  done
  typed_at=$(stat -c %s screen.txt)
  printf '%s' "$keys" >&4
}

type_when Tidewrack "" $'\r' &&
  type_when "Obvious exits" "What now?" $'north\r' &&
  type_when "flotsam" "What now?" $'save\r' &&
  type_when "Game saved." "What now?" $'south\r' &&
  type_when "tropical shore" "What now?" $'drop preserver\r' &&
  type_when "A life preserver." "What now?" $'east\r' &&
  type_when "You drowned!" "play again?" n

for _ in $(seq 100); do
  kill -0 "$player" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$player" 2>/dev/null; then
  fail "the program did not end after the play-again question"
  kill "$player"
fi
wait "$player"
status=$?
exec 4>&-
[ "$status" -eq 0 ] || fail "the program ended with status $status"

save=Kestle_save.txt
if [ -f "$save" ]; then
  lines=$(wc -l <"$save")
  [ "$lines" -eq 38 ] || fail "the save has $lines lines"
  if [ "$(grep -c $'\r$' "$save")" -ne 38 ] || [ "$(tr -cd '\r' <"$save" | wc -c)" -ne 38 ]; then
    fail "the save does not end its lines in CR LF"
  fi
  read -r -a words <"$save"
  [ "${words[284]}" = 10 ] || fail "the save is not in the cove (room 10) but in ${words[284]}"
  [ "${words[286]}" = 2 ] || fail "the save is not of turn 2 but of ${words[286]}"
else
  fail "no save was made"
fi

if [ "$failures" -gt 0 ]; then
  echo "--- the screen, without its blank lines:"
  grep -av $'^\e\\[K\r*$' screen.txt | cat -v | tail -n 60
  exit 1
fi
echo "a game played at a wine console"
