#!/usr/bin/env bash
# Style and structure: every source file as clang-format writes it, no
# clang-tidy finding in the game's own code (the checks in .clang-tidy), and
# every include pointing down the layers:
#   app/ -> actions/, persistence/ -> parser/ -> core/ -> console/
#   app/ -> frontends/ -> disk/ -> console/
# (actions/ may use parser/; persistence/ uses core/ and console/ only; the
# game's own layers never reach a front end or the disk, only the seam; inside
# frontends/, a front end uses only its own folder and what they all share,
# screen/ and streams/), with no files that include each other, however far
# round.
# Uses the compile commands of the test build, which the README's test
# command has made; installs clang-format, clang-tidy and git (which lists
# the sources) when missing.
set -euo pipefail
cd "$(dirname "$0")/../.."

missing=()
command -v clang-format >/dev/null || missing+=(clang-format)
command -v run-clang-tidy >/dev/null || missing+=(clang-tidy)
command -v git >/dev/null || missing+=(git)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" </dev/null
fi

echo "-- clang-format"
git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run --Werror

echo "-- layers"
allowed_for() {
  case "$1" in
    console) echo "console" ;;
    disk) echo "console disk" ;;
    frontends) echo "console disk frontends" ;;
    core) echo "console core" ;;
    parser) echo "console core parser" ;;
    actions) echo "console core parser actions" ;;
    persistence) echo "console core persistence" ;;
    app) echo "console disk frontends core parser actions persistence app" ;;
  esac
}
wrong=0
for layer in console disk frontends core parser actions persistence app; do
  allowed=" $(allowed_for "$layer") "
  while IFS=: read -r file _ included; do
    folder="${included#*\"}"
    folder="${folder%%/*}"
    case "$allowed" in
      *" $folder "*) ;;
      *)
        echo "$file includes $included: $layer/ may use only $allowed"
        wrong=1
        ;;
    esac
  done < <(git ls-files -z "$layer/*.cpp" "$layer/*.hpp" | xargs -0 -r grep -Hn '^#include "' || true)
done
# Inside frontends/, no front end uses another: each stands on the seam, the
# disk and what they share (the screen's layout, standard input and output).
while IFS=: read -r file _ included; do
  own="${file#frontends/}"
  own="${own%%/*}"
  folder="${included#*\"frontends/}"
  folder="${folder%%/*}"
  case " $own screen streams " in
    *" $folder "*) ;;
    *)
      echo "$file includes $included: a front end uses only its own folder, screen/ and streams/"
      wrong=1
      ;;
  esac
done < <(git ls-files -z 'frontends/*.cpp' 'frontends/*.hpp' | xargs -0 -r grep -Hn '^#include "frontends/' || true)
# And no circle anywhere: a file and its header are one unit, and the units
# that include each other, however far round, are named.
loops=$(git ls-files -z '*.cpp' '*.hpp' | xargs -0 -r grep -H '^#include "' |
  sed -E 's/^([^:]*)\.[ch]pp:#include "([^"]*)\.[ch]pp".*/\1 \2/' | awk '$1 != $2' | tsort 2>&1 >/dev/null || true)
if [ -n "$loops" ]; then
  echo "files that include each other, round a circle:"$'\n'"$loops"
  wrong=1
fi
[ "$wrong" -eq 0 ]

echo "-- clang-tidy"
build=build/test
[ -f "$build/compile_commands.json" ] || cmake --preset test >/dev/null
run-clang-tidy -p "$build" -j "$(nproc)" -quiet \
  "$(pwd)/(core|parser|actions|persistence|console|disk|frontends|app)/.*\.cpp$" >"$build/clang-tidy.log" 2>&1 ||
  {
    grep -E 'warning:|error:' "$build/clang-tidy.log" | sort -u | head -n 40
    exit 1
  }
echo "style: clean"
