#!/usr/bin/env bash
# Fuzzing the saved-game loader: arbitrary save files loaded over a game under
# way, under AddressSanitizer and UndefinedBehaviorSanitizer, for a bounded
# time (FUZZ_SECONDS, 30 by default). The file is kept in memory behind the
# console's file operations. A refused file must change nothing, and an
# accepted one must save and load back to the same game. Uses the fuzz
# build in build/fuzz (made here when this step runs alone), or the build in
# FUZZ_BUILD_DIR. The seeds are saves made by the game itself: one with the
# first command, one deep in a game, and that one again with CR LF line ends.
# Any crash, sanitizer report, broken rule or hang fails the step, and the
# file that found it is shown.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${FUZZ_SECONDS:-30}"

source .ci/lib/fuzz-build.sh
fuzz_build fuzz_loader tidewrack
fuzzer="$build/tests/fuzz/fuzz_loader"
game="$build/tidewrack"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Seeds: the save file of a game played through the real program.
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
save_after() {  # save_after NAME INPUT: plays INPUT, which ends in SAVE
  local name="$1" input="$2" play="$work/play-$1"
  mkdir "$play"
  if ! (cd "$play" && printf '%s' "$input" | "$game" >"$play/output"); then
    echo "the game failed while making the seed '$name'"
    tail -n 20 "$play/output"
    exit 1
  fi
  if [ ! -s "$play/Kestle_save.txt" ]; then
    echo "no save file from the game for the seed '$name'"
    exit 1
  fi
  cp "$play/Kestle_save.txt" "$work/seeds/$name"
}
save_after first-command $'\nsave\n'
# To the temple: the bottle taken and emptied, the robe worn and given up,
# the amulet worn and the lagoon's floor opened to the south.
save_after temple $'\nwest\nnorth\nenter hut\nget bottle\nexit hut\nwest\nwest\nwest\nsouth\nwear robe\nwest\npour wine\ngob\nsummon neptune\nwear amulet\ninventory\neast\nnorth\nexamine runes\nsave\n'
sed 's/$/\r/' "$work/seeds/temple" >"$work/seeds/temple-crlf"

# The pieces a save file is made of.
cat >"$work/save.dict" <<'EOF'
"0"
"-1"
"-2"
"40"
"41"
"-3"
"255"
"1000000"
"0x"
"0X"
"+"
" "
"\x09"
"\x0a"
"\x0d\x0a"
"\x00"
"North "
"South "
"East "
"West "
"Up "
"Down "
"An empty bottle"
"A goblet full of wine"
EOF

echo "-- fuzz_loader for ${seconds}s"
status=0
(cd "$work" && "$fuzzer" "$work/corpus" "$work/seeds" \
  -dict="$work/save.dict" -max_len=9000 -max_total_time="$seconds" -timeout=10 \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1 \
  >"$work/fuzz_loader.log" 2>&1) || status=1
if [ $status -ne 0 ]; then
  tail -n 60 "$work/fuzz_loader.log"
  for artifact in "$work/artifacts/"*; do
    [ -e "$artifact" ] || continue
    echo "== finding: $(basename "$artifact")"
    od -A d -c "$artifact" | head -n 80
  done
  exit 1
fi
grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|Done )' \
  "$work/fuzz_loader.log" || true
