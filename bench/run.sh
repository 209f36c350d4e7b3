#!/usr/bin/env bash
# The whole-program measurements, each against its target:
#   bench/run.sh [BUILD_DIR]     (default build/bench, made with the bench preset)
# - commands per second and microseconds per command: the 100,000-command
#   session piped in, output to /dev/null, fastest of RUNS runs;
# - peak resident memory over that run;
# - instructions per turn under callgrind on the 10,000-command session
#   and the heap allocations of that run under memcheck, which must be none;
# - start-up to the title screen against a C hello-world, both started
#   directly, STARTS times each.
# Exits 1 when a target is missed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/bench}"
runs="${RUNS:-7}"
starts="${STARTS:-500}"

if [ ! -x "$build/tidewrack" ] || [ ! -x "$build/bench/make_session" ]; then
  if [ $# -gt 0 ]; then
    echo "no bench build in $build" >&2
    exit 2
  fi
  (cd "$root" && cmake --workflow --preset bench)
fi
game="$build/tidewrack"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"  # a saved game, should the walker ever make one, lands here

"$build/bench/make_session" 100000 1 >long.txt 2>long.info
"$build/bench/make_session" 10000 1 >short.txt 2>short.info
echo "sessions: $(cat long.info); $(cat short.info)"

missed=0
verdict() {  # verdict OK? TEXT
  if [ "$1" = 1 ]; then echo "  met:    $2"; else echo "  MISSED: $2"; missed=1; fi
}

# Speed: wall-clock time of whole runs, in microseconds.
best=""
for _ in $(seq "$runs"); do
  start=$EPOCHREALTIME
  "$game" <long.txt >/dev/null
  end=$EPOCHREALTIME
  took=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%d", (e - s) * 1e6 }')
  if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
done
rate=$(awk -v t="$best" 'BEGIN { printf "%d", 100000 / (t / 1e6) }')
per=$(awk -v t="$best" 'BEGIN { printf "%.3f", t / 100000 }')
echo "speed: 100,000 commands in ${best} us (fastest of $runs): $rate commands/s, $per us/command"
verdict "$(awk -v r="$rate" 'BEGIN { print (r >= 1000000) }')" "at least 1,000,000 commands/s"

# Peak resident memory of the same run.
if [ -x /usr/bin/time ]; then
  /usr/bin/time -f %M -o rss.txt "$game" <long.txt >/dev/null
  rss=$(tail -1 rss.txt)
  echo "memory: peak resident ${rss} KiB"
  verdict "$(awk -v k="$rss" 'BEGIN { print (k < 2048) }')" "under 2 MiB"
else
  echo "memory: /usr/bin/time is missing (Debian: time), not measured"
  missed=1
fi

# Instructions, counted by callgrind: the session, less a run that only
# shows the title, divided by the commands.
if command -v valgrind >/dev/null; then
  count() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$game" <"$1" 2>&1 >/dev/null |
      awk '/Collected :/ { print $NF }'
  }
  total=$(count short.txt)
  title=$(count /dev/null)
  per_turn=$(awk -v t="$total" -v s="$title" 'BEGIN { printf "%d", (t - s) / 10000 }')
  echo "instructions: $total for 10,000 commands, $title to the title alone: $per_turn per turn"
  verdict "$(awk -v n="$per_turn" 'BEGIN { print (n < 6000) }')" "fewer than 6,000 instructions per turn"
else
  echo "instructions: valgrind is missing, not measured"
  missed=1
fi

# Heap allocations, counted by memcheck: none in the whole piped session,
# nor to the title alone.
if command -v valgrind >/dev/null; then
  allocations() {
    valgrind "$game" <"$1" 2>&1 >/dev/null |
      sed -n 's/.*total heap usage: \([0-9,]*\) allocs.*/\1/p' | tr -d ,
  }
  session_allocs=$(allocations short.txt)
  title_allocs=$(allocations /dev/null)
  echo "heap: $session_allocs allocations for 10,000 commands, $title_allocs to the title alone"
  verdict "$([ "$session_allocs" = 0 ] && [ "$title_allocs" = 0 ] && echo 1 || echo 0)" \
    "no heap allocation in the whole session"
else
  echo "heap: valgrind is missing, not counted"
  missed=1
fi

# Start-up: to the title screen (input at its end at once) against hello.
read -r game_best game_median < <("$build/bench/spawn_time" "$starts" "$game")
read -r hello_best hello_median < <("$build/bench/spawn_time" "$starts" "$build/bench/hello")
ratio=$(awk -v g="$game_median" -v h="$hello_median" 'BEGIN { printf "%.2f", g / h }')
echo "start-up: title ${game_median} us median (${game_best} fastest), C hello-world" \
  "${hello_median} us median (${hello_best} fastest), $starts runs each: ratio $ratio"
verdict "$(awk -v r="$ratio" 'BEGIN { print (r <= 1.5) }')" "within 1.5 times the hello-world"

exit $missed
