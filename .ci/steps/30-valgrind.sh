#!/usr/bin/env bash
# Memory checking: the winning play sessions (tests/scripts/win_*.play; every
# script while there are none) under valgrind memcheck, in a plain debug
# build, both through the scripted-session runner and as input piped into the
# real program, and input nobody should type piped into the real program.
# Any invalid access, use of an unset value or leak fails, and so does a
# winning session that takes more from the heap than a run that only shows
# the title (the game allocates nothing per turn).
# VALGRIND_BUILD_DIR uses another build folder than build/valgrind.
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$PWD"
build="${VALGRIND_BUILD_DIR:-$root/build/valgrind}"

if ! command -v valgrind >/dev/null; then
  echo "installing: valgrind"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq valgrind
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTIDEWRACK_SANITIZE=OFF \
  -DTIDEWRACK_TESTS=ON -DTIDEWRACK_FUZZ=OFF -DTIDEWRACK_BENCH=OFF </dev/null >/dev/null
cmake --build "$build" -j2 --target play_script tidewrack </dev/null

scripts=(tests/scripts/win_*.play)
if [ ! -e "${scripts[0]}" ]; then scripts=(tests/scripts/*.play); fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
memcheck=(valgrind --quiet --error-exitcode=1 --leak-check=full
  --errors-for-leak-kinds=definite,indirect --track-origins=yes)

# The number of heap allocations of a whole run of the real program.
allocations() {  # allocations INPUT
  valgrind "$build/tidewrack" <"$1" 2>&1 >/dev/null |
    sed -n 's/.*total heap usage: \([0-9,]*\) allocs.*/\1/p' | tr -d ,
}
mkdir -p "$work/title"
title_allocations=$(cd "$work/title" && allocations /dev/null)
echo "heap: $title_allocations allocations to show the title"

status=0
for script in "${scripts[@]}"; do
  name="$(basename "$script" .play)"
  # Each run in a folder of its own, so that saved games never meet.
  mkdir -p "$work/$name/script" "$work/$name/program"
  if (cd "$work/$name/script" && "${memcheck[@]}" "$build/tests/play_script" "$root/$script"); then
    echo "clean: $name (script)"
  else
    echo "FAILED: $name (script)"
    status=1
  fi
  sed -n 's/^< \{0,1\}//p' "$script" >"$work/$name/input"
  if (cd "$work/$name/program" &&
    "${memcheck[@]}" "$build/tidewrack" <"$work/$name/input" >/dev/null); then
    echo "clean: $name (program)"
  else
    echo "FAILED: $name (program)"
    status=1
  fi
  rm -f "$work/$name/program/"*
  played=$(cd "$work/$name/program" && allocations "$work/$name/input")
  if [ -n "$played" ] && [ "$played" = "$title_allocations" ]; then
    echo "clean: $name (no allocation while playing)"
  else
    echo "FAILED: $name ($played allocations over the title's ${title_allocations})"
    status=1
  fi
done

# Input nobody should type: NUL bytes, bytes above 127, a line of ten
# thousand characters, lone CRs, CR LF, and the input ending at a question.
mkdir -p "$work/odd"
{
  printf '\377\000\r'
  head -c 10000 /dev/zero | tr '\0' x
  printf '\r\nno\000rth\r\303\234ber\n\000\000\n\rsouth\r\nkill shark\n'
} >"$work/odd/input"
if (cd "$work/odd" && "${memcheck[@]}" "$build/tidewrack" <"$work/odd/input" >/dev/null); then
  echo "clean: odd input (program)"
else
  echo "FAILED: odd input (program)"
  status=1
fi
exit $status
