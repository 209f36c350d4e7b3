#!/usr/bin/env bash
# The downloads of a release (`cmake --workflow --preset dist`), built twice:
# once in build/dist and once more in a fresh clone of this commit in another
# folder, later, under umask 0077 (as some build machines have it); every file
# must come out byte for byte the same. Then the
# downloads as a player meets them: the Windows zip's program plays a short
# game under wine, the web site's tarball is unpacked and served for the
# title, and tidewrack.html plays from a file:// address with SAVE, a reload
# and LOAD. Installs what the builds need when it is missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
started=$SECONDS

have() { command -v "$1" >/dev/null; }
missing=()
have git || missing+=(git)
have zip || missing+=(zip)
have unzip || missing+=(unzip)
have file || missing+=(file)
have dpkg-deb || missing+=(dpkg)
have dpkg-buildflags || missing+=(dpkg-dev)
have x86_64-w64-mingw32-g++ || have x86_64-w64-mingw32-g++-posix || missing+=(g++-mingw-w64-x86-64)
have wine || missing+=(wine wine64)
have em++ || missing+=(emscripten)
[ -f /usr/share/nodejs/acorn/package.json ] || missing+=(node-acorn)
have node || missing+=(nodejs)
have npm || missing+=(npm)
have chromium || missing+=(chromium)
have brotli || missing+=(brotli)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    </dev/null
fi
export NODE_PATH=/usr/share/nodejs

fail() {
  echo "dist: $*" >&2
  exit 1
}

rm -rf build/dist
timeout 1800 cmake --workflow --preset dist </dev/null
out=build/dist/out
(cd "$out" && sha256sum -c SHA256SUMS)

# The same commit again, in another folder, a little later, with a umask
# that leaves every file and folder made to its owner alone.
second=$(mktemp -d /tmp/tidewrack-dist.XXXXXX)
trap 'rm -rf "$second"' EXIT
(umask 0077 && git clone -q --no-local . "$second/src")
git -C "$second/src" checkout -q "$(git rev-parse HEAD)"
sleep 2
(cd "$second/src" && umask 0077 &&
  timeout 1800 cmake --workflow --preset dist </dev/null >"$second/build.log" 2>&1) ||
  {
    tail -n 40 "$second/build.log"
    fail "the second build failed"
  }
if ! diff -r "$out" "$second/src/build/dist/out"; then
  fail "two builds of the same commit differ"
fi
echo "-- two builds of $(git rev-parse --short HEAD), the second under umask 0077, are byte for byte the same: $(ls "$out" | tr '\n' ' ')"

# The Windows zip's program, on its own, plays a short game.
zip=$(ls "$out"/tidewrack-*-windows.zip)
mkdir "$second/windows"
unzip -q "$zip" -d "$second/windows"
exe=$(find "$second/windows" -name tidewrack.exe | head -n 1)
[ -n "$exe" ] || fail "the Windows zip holds no tidewrack.exe"
mkdir "$second/windows/play"
export WINEDEBUG=-all WINEPREFIX="$second/wine"
(cd "$second/windows/play" && printf '\r\ninventory\r\nfoo bar\r\n' |
  timeout 120 wine "$exe" >../session.txt 2>/dev/null) || true
for line in 'You are carrying:' 'A life preserver' "You don't know those words"; do
  grep -qF -- "$line" "$second/windows/session.txt" ||
    fail "the zipped program never printed '$line':"$'\n'"$(cat "$second/windows/session.txt")"
done

# The web downloads in chromium.
[ -d frontends/web/node_modules/playwright-core ] ||
  (cd frontends/web && timeout 300 npm ci --no-audit --no-fund --ignore-scripts </dev/null)
timeout 300 node tests/dist/downloads_test.js "$out" "$second/web"
echo "dist: $((SECONDS - started))s"
