#!/usr/bin/env bash
# Every download of a release, built from the commit checked out and gathered
# in one folder, OUT (build/dist/out for the `dist` preset):
#   tidewrack-VERSION.tar.gz          the sources of the commit (git archive)
#   tidewrack_VERSION-1_amd64.deb     the Debian package (the `package` preset)
#   tidewrack-VERSION-windows.zip     the Windows program, README, LICENSE and
#                                     the manual as text (the `windows` preset)
#   tidewrack-VERSION-web.tar.gz      the web site, for any static server (the
#                                     `web` preset)
#   tidewrack.html                    the whole web edition in one file
#   SHA256SUMS                        the checksums of all of these
# The builds go in folders of their own beside OUT. Everything is dated by
# SOURCE_DATE_EPOCH, the commit's time unless the caller sets it, and no
# archive holds a build's folder, owner or time of building, so the same
# commit gives the same bytes in any folder at any time.
#
#   cmake/dist.sh VERSION DIST_DIR
set -euo pipefail
version=$1
dist=$(realpath -m "$2")
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cd "$source_dir"
out=$dist/out

# The builds below are builds of their own, not parts of the one that runs
# this script.
unset MAKEFLAGS MFLAGS MAKELEVEL
export LC_ALL=C TZ=UTC
# The toolchain's JavaScript tools find acorn among Debian's Node modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "dist: the working tree has changes that are not committed; the source tarball is of the commit" >&2
fi

# Every tool the downloads need, named at once rather than found missing
# halfway through.
absent=()
for tool in git gzip zip dpkg-deb file em++ node npm brotli; do
  command -v "$tool" >/dev/null || absent+=("$tool")
done
if [ ${#absent[@]} -gt 0 ]; then
  echo "dist: missing ${absent[*]} (Debian: git gzip zip dpkg file emscripten nodejs npm brotli)" >&2
  exit 1
fi

step() { echo "-- dist: $*"; }
rm -rf "$out" "$dist/stage"
mkdir -p "$out" "$dist/stage"

# Folders into archives with sorted names, one time, owner 0 and ordinary
# permissions.
normalise() {
  find "$1" -exec touch -h -d "@${SOURCE_DATE_EPOCH}" {} +
  chmod -R u+rwX,go+rX,go-w "$1"
}
tarball() { # FOLDER_PARENT FOLDER_NAME ARCHIVE
  normalise "$1/$2"
  tar -C "$1" --sort=name --mtime="@${SOURCE_DATE_EPOCH}" --owner=0 --group=0 --numeric-owner \
    --format=gnu -cf - "$2" | gzip -9 -n >"$3"
}

step "the sources"
git archive --format=tar --prefix="tidewrack-${version}/" HEAD | gzip -9 -n >"$out/tidewrack-${version}.tar.gz"

step "the Debian package"
cmake --preset package -B "$dist/package" >/dev/null
cmake --build "$dist/package"
# CPack gives the three members of the .deb the modes their files get on the
# disk: under the umask of Debian's own tools, whatever the caller's.
(cd "$dist/package" && umask 0022 && cpack -G DEB -B "$dist/package" >/dev/null)
cp "$dist/package/tidewrack_${version}-1_amd64.deb" "$out/"

step "the Windows program"
cmake --preset windows -B "$dist/windows" -DTIDEWRACK_TESTS=OFF -DTIDEWRACK_DISTRO_FLAGS=ON >/dev/null
cmake --build "$dist/windows" --target tidewrack
windows=tidewrack-${version}-windows
mkdir "$dist/stage/$windows"
cp "$dist/windows/tidewrack.exe" "$dist/stage/$windows/"
# Text files with Windows line ends, under names that Windows opens.
crlf() { sed 's/$/\r/' "$1" >"$2"; }
crlf README.md "$dist/stage/$windows/README.txt"
crlf LICENSE "$dist/stage/$windows/LICENSE.txt"
groff -man -Tascii -P-cbou "$dist/package/tidewrack.6" >"$dist/stage/$windows/manual.txt.lf"
crlf "$dist/stage/$windows/manual.txt.lf" "$dist/stage/$windows/tidewrack.txt"
rm "$dist/stage/$windows/manual.txt.lf"
normalise "$dist/stage/$windows"
# zip -X: no owners or extra times; the names in sorted order.
(cd "$dist/stage" && find "$windows" -type f | sort | zip -X -D -9 -q "$out/$windows.zip" -@)

step "the web edition"
cmake --preset web -B "$dist/web" -DTIDEWRACK_TESTS=OFF >/dev/null
cmake --build "$dist/web"
web=tidewrack-${version}-web
cp -r "$dist/web/site" "$dist/stage/$web"
tarball "$dist/stage" "$web" "$out/$web.tar.gz"
cp "$dist/web/tidewrack.html" "$out/tidewrack.html"

step "the checksums"
(cd "$out" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | sort |
  xargs sha256sum >SHA256SUMS)
cat "$out/SHA256SUMS"
echo "dist: $(find "$out" -type f | wc -l) files in $out"
