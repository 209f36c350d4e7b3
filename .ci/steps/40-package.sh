#!/usr/bin/env bash
# The Debian package: builds it (build/package), shows its metadata and file
# list, checks both, then unpacks it into a scratch folder and plays a short
# session with the unpacked program: the title, a few commands, a death, and
# "n" at the play-again question.
set -euo pipefail
cd "$(dirname "$0")/../.."

missing=()
command -v dpkg-deb >/dev/null || missing+=(dpkg)
command -v groff >/dev/null || missing+=(groff-base)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" </dev/null
fi

fail() {
  echo "package: $*" >&2
  exit 1
}

# The manual page renders without a single warning.
warnings=$(groff -ww -man -Tutf8 -z doc/tidewrack.6 2>&1)
[ -z "$warnings" ] || fail "the manual page has warnings:"$'\n'"$warnings"

rm -rf build/package
cmake --workflow --preset package </dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/package/CMakeCache.txt)
deb=build/package/tidewrack_${version}-1_amd64.deb
[ -f "$deb" ] || fail "no $deb was made"

echo "-- dpkg-deb --info $deb"
dpkg-deb --info "$deb"
echo "-- dpkg-deb --contents $deb"
dpkg-deb --contents "$deb" | tee build/package/contents.txt

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = tidewrack ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "${version}-1" ] || fail "Version is '$(field Version)'"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[[ "$(field Maintainer)" =~ ^.+\ \<.+@.+\>$ ]] || fail "Maintainer is '$(field Maintainer)'"
[[ "$(field Depends)" == *libc6* ]] || fail "Depends is '$(field Depends)'"
[ -n "$(field Description)" ] || fail "no Description"

files=$(awk '$1 !~ /^d/ {print $6}' build/package/contents.txt | sort)
expected=$'./usr/games/tidewrack\n./usr/share/man/man6/tidewrack.6.gz'
[ "$files" = "$expected" ] || fail "the package holds"$'\n'"$files"$'\n'"instead of"$'\n'"$expected"
grep -q '^-rwxr-xr-x root/root .* ./usr/games/tidewrack$' build/package/contents.txt ||
  fail "the program is not an executable owned by root"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"

warnings=$(zcat "$unpacked/usr/share/man/man6/tidewrack.6.gz" | groff -ww -man -Tutf8 -z 2>&1)
[ -z "$warnings" ] || fail "the packaged manual page has warnings:"$'\n'"$warnings"

# A session in a folder of its own, so that no saved game is met or left.
mkdir "$unpacked/play"
status=0
(cd "$unpacked/play" &&
  printf '\ninventory\nfoo bar\ndrop preserver\neast\nn\n' |
  timeout 30 "$unpacked/usr/games/tidewrack" >../session.txt 2>&1) || status=$?
[ "$status" -eq 0 ] || fail "the session ended with status $status"
session=$unpacked/session.txt
for line in 'What now?  ' 'You are carrying:' 'A life preserver' "You don't know those words" \
  "You can't swim!  You drowned!" 'The game is over' 'Would you like to play again?'; do
  grep -qF -- "$line" "$session" || fail "the session never printed '$line':"$'\n'"$(cat "$session")"
done
tr -d '\f' <"$session" | grep -q '^ *Tidewrack *$' || fail "the session shows no title"
[ "$(head -c1 "$session")" = $'\f' ] || fail "the session does not start with a cleared screen"
[ "$(ls -A "$unpacked/play")" = "" ] || fail "the session left files behind"
echo "package: tidewrack ${version}-1 built, unpacked and played"
