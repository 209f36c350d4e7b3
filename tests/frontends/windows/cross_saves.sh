#!/usr/bin/env bash
# Saved games crossing between the Windows and the Linux program, both played
# through pipes. One game, saved at the altar:
# - each program's save is the same text, with CR LF line ends from Windows
#   and LF from Linux;
# - the save of either program, loaded by the other in a later run and played
#   on with the same commands, ends in the very same game as the game played
#   straight through: the same screens after the load as after the save, and
#   a final save of the same text.
#
#   cross_saves.sh WINE WINDOWS_PROGRAM LINUX_PROGRAM
# Runs in the current folder, which should be one of its own.
set -uo pipefail
wine=$1
windows=$2
linux=$3

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# To the altar: the matches from the wreck, the wine from the hut, the bird
# on the way, the robe worn, the wine in the goblet and a match burning.
before=$'\neast\nnorth\nget matches\nsouth\nwest\nwest\nnorth\nenter hut\nget bottle\nexit hut\n'
before+=$'west\nwest\nwest\nsouth\nwear robe\nwest\npour wine\ngob\nlight match\n'
# The god, the amulet, out past the runes, another match; then save again.
after=$'summon neptune\nwear amulet\ninventory\neast\nnorth\nexamine runes\nlight match\nsave\n'

rm -rf w1 l1 ws ls wl lw ./*.in ./*.out ./*.err ./*.txt
mkdir w1 l1 ws ls wl lw
printf '%s' "${before}save"$'\n' >half.in
printf '%s' "${before}save"$'\n'"$after" >straight.in
printf '%s' $'\nload\n'"$after" >resumed.in

# play PROGRAM FOLDER INPUT: the session's output goes to FOLDER.out.
play() {
  local program=$1 folder=$2 input=$3 status=0
  if [ "$program" = windows ]; then
    (cd "$folder" && timeout 60 "$wine" "$windows" <"../$input" >"../$folder.out" 2>"../$folder.err") ||
      status=$?
  else
    (cd "$folder" && timeout 60 "$linux" <"../$input" >"../$folder.out" 2>"../$folder.err") ||
      status=$?
  fi
  [ "$status" -eq 0 ] || fail "$program in $folder ended with status $status: $(cat "$folder.err")"
  # The screens with the platform's line ends made LF, for comparing.
  sed 's/\r$//' "$folder.out" >"$folder.txt"
}

# A file whose lines all end in CR LF, with no CR or LF anywhere else.
crlf_only() {
  local lf cr pairs
  lf=$(tr -cd '\n' <"$1" | wc -c)
  cr=$(tr -cd '\r' <"$1" | wc -c)
  pairs=$(grep -c $'\r$' "$1")
  [ "$lf" -gt 0 ] && [ "$cr" -eq "$lf" ] && [ "$pairs" -eq "$lf" ] && [ -z "$(tail -c 1 "$1")" ]
}

save=Kestle_save.txt

# ---- The save at the altar, made by each program.
play windows w1 half.in
play linux l1 half.in
[ -f "w1/$save" ] || fail "the Windows program made no save"
[ -f "l1/$save" ] || fail "the Linux program made no save"
[ "$(wc -l <"w1/$save")" -eq 38 ] || fail "the Windows save has not 38 lines"
crlf_only "w1/$save" || fail "the Windows save does not end every line in CR LF"
! grep -q $'\r' "l1/$save" || fail "the Linux save holds a CR"
[ "$(wc -l <"l1/$save")" -eq 38 ] || fail "the Linux save has not 38 lines"
cmp -s <(sed 's/\r$//' "w1/$save") "l1/$save" ||
  fail "the two saves differ apart from their line ends: $(diff <(sed 's/\r$//' "w1/$save") "l1/$save")"
cmp -s w1.txt l1.txt || fail "the two programs showed different screens: $(diff w1.txt l1.txt)"

# ---- The game played straight through on each.
play windows ws straight.in
play linux ls straight.in
cmp -s ws.txt ls.txt || fail "the straight games showed different screens: $(diff ws.txt ls.txt)"
crlf_only "ws/$save" || fail "the Windows final save does not end every line in CR LF"
cmp -s <(sed 's/\r$//' "ws/$save") "ls/$save" || fail "the final saves differ apart from line ends"

# What the final save must hold: the amulet worn, the robe offered up, the
# way south from the lagoon floor open, the bottle empty, two matches used,
# room 19.
read -r -a words <"ls/$save"
[ "${words[246 + 25]}" = -2 ] || fail "the amulet is not saved as worn"
[ "${words[246 + 21]}" = 0 ] || fail "the robe is not saved as gone"
[ "${words[6 * 6 + 1]}" = 7 ] || fail "the way south from the lagoon floor is not saved open"
[ "${words[284]}" = 19 ] || fail "the final save is not in room 19"
[ "${words[285]}" = 18 ] || fail "the final save has not 18 matches"
[ "$(sed -n 19p "ls/$save")" = "An empty bottle" ] || fail "the bottle is not saved empty"

# The screens from the turn after the save (straight) or after the load
# (resumed) on: the same to the end.
after_marker() {  # after_marker FILE MARKER
  local text
  text=$(<"$1")
  [[ "$text" == *"$2"* ]] || return 1
  printf '%s' "${text#*"$2"}"
}
straight_tail=$(after_marker ls.txt "Game saved."$'\n\n') || fail "no save in the straight game"

# ---- Windows save, Linux load.
cp "w1/$save" "wl/$save"
play linux wl resumed.in
cmp -s "wl/$save" "ls/$save" || fail "Windows to Linux: the final save differs from the straight game's"
resumed_tail=$(after_marker wl.txt "Game loaded."$'\n\n') || fail "Windows to Linux: no load"
[ "$resumed_tail" = "$straight_tail" ] ||
  fail "Windows to Linux: the screens after the load differ: $(diff <(echo "$straight_tail") <(echo "$resumed_tail"))"

# ---- Linux save, Windows load.
cp "l1/$save" "lw/$save"
play windows lw resumed.in
cmp -s "lw/$save" "ws/$save" || fail "Linux to Windows: the final save differs from the straight game's"
resumed_tail=$(after_marker lw.txt "Game loaded."$'\n\n') || fail "Linux to Windows: no load"
[ "$resumed_tail" = "$straight_tail" ] ||
  fail "Linux to Windows: the screens after the load differ: $(diff <(echo "$straight_tail") <(echo "$resumed_tail"))"

if [ "$failures" -eq 0 ]; then
  echo "saves cross both ways"
  exit 0
fi
exit 1
