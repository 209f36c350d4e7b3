#!/usr/bin/env bash
# Fuzzing: the parser and whole games on arbitrary input, under
# AddressSanitizer and UndefinedBehaviorSanitizer, for a bounded time each
# (FUZZ_SECONDS, 30 by default; FUZZ_BUILD_DIR uses a build made elsewhere
# instead of the fuzz preset). The seeds are the input lines of the scripted
# play sessions, and some of the same with the bytes nobody types (NULs, CRs,
# bytes above 127, long lines). Any crash, sanitizer report, broken rule or
# hang fails the step, and the input that found it is shown.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${FUZZ_SECONDS:-30}"

source .ci/lib/fuzz-build.sh
fuzz_build fuzz_parser fuzz_session

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Seeds: each input line of every script alone (the parser), and each
# script's whole input (sessions). A dictionary of the words typed in them
# helps the fuzzer find the game's words.
mkdir -p "$work/lines" "$work/sessions" "$work/artifacts"
for script in tests/scripts/*.play; do
  name="$(basename "$script" .play)"
  sed -n 's/^< \{0,1\}//p' "$script" >"$work/sessions/$name"
  n=0
  while IFS= read -r line; do
    n=$((n + 1))
    printf '%s\n' "$line" >"$work/lines/$name.$n"
  done <"$work/sessions/$name"
done
tr -s ' \t' '\n\n' <<<"$(cat "$work"/sessions/*)" | tr -d '"\\' | sort -u |
  awk 'length($0) > 0 { printf "\"%s\"\n", $0 }' >"$work/words.dict"
# And input nobody should type: NUL bytes, bytes above 127, lone CRs, CR LF,
# a line far longer than the 79 characters kept, no line end at the end.
printf 'no\000rth\r\303\234ber\r\nget torch\n\377\n\000\000\nkill' >"$work/lines/odd.1"
{
  head -c 300 /dev/zero | tr '\0' x
  printf '\ninventory'
} >"$work/lines/odd.2"
for name in first_steps chasm; do
  [ -e "$work/sessions/$name" ] || continue
  tr '\n' '\r' <"$work/sessions/$name" >"$work/sessions/$name.cr"
  sed 's/$/\r/' <"$work/sessions/$name" >"$work/sessions/$name.crlf"
  sed 's/o/o\x00/g; s/e/\xc3\xa9/' <"$work/sessions/$name" >"$work/sessions/$name.bytes"
done

fuzz() {  # fuzz TARGET SEEDS MAX_LEN
  local target="$1" seeds="$2" max_len="$3"
  local corpus="$work/corpus-$target"
  mkdir -p "$corpus" "$work/run-$target"
  echo "-- $target for ${seconds}s"
  # Run in a folder of its own: a SAVE GAME typed by the fuzzer lands there.
  if ! (cd "$work/run-$target" &&
    "$build/tests/fuzz/$target" "$corpus" "$seeds" -dict="$work/words.dict" \
      -max_len="$max_len" -max_total_time="$seconds" -timeout=10 \
      -artifact_prefix="$work/artifacts/$target-" -print_final_stats=1 \
      >"$work/$target.log" 2>&1); then
    tail -n 60 "$work/$target.log"
    for artifact in "$work/artifacts/$target-"*; do
      [ -e "$artifact" ] || continue
      echo "== finding: $(basename "$artifact")"
      od -A d -c "$artifact" | head -n 40
    done
    return 1
  fi
  grep -E '^(stat::number_of_executed_units|Done )' "$work/$target.log" || true
}

status=0
fuzz fuzz_parser "$work/lines" 512 || status=1
fuzz fuzz_session "$work/sessions" 16384 || status=1
exit $status
