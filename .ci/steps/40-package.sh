#!/usr/bin/env bash
# The Debian package: builds it (build/package) under umask 0077, as some
# build machines have it, shows its metadata and file list, checks both (every
# folder rwxr-xr-x), holds it to lintian (not one error or warning), its menu
# entry to desktop-file-validate and its software centre metadata to
# appstreamcli, then unpacks it into a scratch folder and plays a short
# session with the unpacked program: the title, a few commands, a death, and
# "n" at the play-again question. Last, the package is installed by apt in a
# fresh Debian root (debootstrap), which then holds only what its Depends
# bring (libedit2, never libedit-dev), and its menu entry's command is played
# there at a terminal (tmux) with a PATH without /usr/games: a command typed,
# then called back with Up and edited.
set -euo pipefail
cd "$(dirname "$0")/../.."

missing=()
command -v dpkg-deb >/dev/null || missing+=(dpkg)
command -v groff >/dev/null || missing+=(groff-base)
# CPack's DEB generator looks at the program with file.
command -v file >/dev/null || missing+=(file)
command -v dpkg-buildflags >/dev/null || missing+=(dpkg-dev)
command -v readelf >/dev/null || missing+=(binutils)
command -v lintian >/dev/null || missing+=(lintian)
command -v appstreamcli >/dev/null || missing+=(appstream)
command -v desktop-file-validate >/dev/null || missing+=(desktop-file-utils)
command -v tmux >/dev/null || missing+=(tmux)
command -v debootstrap >/dev/null || missing+=(debootstrap)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" </dev/null
fi

fail() {
  echo "package: $*" >&2
  exit 1
}

rm -rf build/package
(umask 0077 && cmake --workflow --preset package </dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/package/CMakeCache.txt)
deb=build/package/tidewrack_${version}-1_amd64.deb
[ -f "$deb" ] || fail "no $deb was made"

# The manual page, with the version written in, renders without a single
# warning.
warnings=$(groff -ww -man -Tutf8 -z build/package/tidewrack.6 2>&1)
[ -z "$warnings" ] || fail "the manual page has warnings:"$'\n'"$warnings"
grep -q "^\.TH TIDEWRACK 6 [0-9-]* \"Tidewrack ${version}\"" build/package/tidewrack.6 ||
  fail "the manual page does not carry version ${version}"

# lintian (as root it says so on standard error, and only that is dropped).
echo "-- lintian $deb"
lintian --fail-on error,warning --info --display-info "$deb" 2> >(grep -v 'root privileges' >&2) ||
  fail "lintian found errors or warnings"

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
expected=$(sort <<'EOF'
./usr/games/tidewrack
./usr/share/applications/org.example.tidewrack.desktop
./usr/share/doc/tidewrack/changelog.Debian.gz
./usr/share/doc/tidewrack/changelog.gz
./usr/share/doc/tidewrack/copyright
./usr/share/icons/hicolor/192x192/apps/tidewrack.png
./usr/share/icons/hicolor/512x512/apps/tidewrack.png
./usr/share/icons/hicolor/scalable/apps/tidewrack.svg
./usr/share/man/man6/tidewrack.6.gz
./usr/share/metainfo/org.example.tidewrack.metainfo.xml
EOF
)
[ "$files" = "$expected" ] || fail "the package holds"$'\n'"$files"$'\n'"instead of"$'\n'"$expected"
grep -q '^-rwxr-xr-x root/root .* ./usr/games/tidewrack$' build/package/contents.txt ||
  fail "the program is not an executable owned by root"
closed=$(awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" {print $1, $6}' build/package/contents.txt)
[ -z "$closed" ] || fail "folders that not every player can read:"$'\n'"$closed"

unpacked=$(mktemp -d)
root=$(mktemp -d)
logs=$(mktemp -d)
server=tidewrack-package-$$
trap 'tmux -L "$server" kill-server 2>/dev/null || true; rm -rf "$unpacked" "$root" "$logs"' EXIT
dpkg-deb -x "$deb" "$unpacked"

warnings=$(zcat "$unpacked/usr/share/man/man6/tidewrack.6.gz" | groff -ww -man -Tutf8 -z 2>&1)
[ -z "$warnings" ] || fail "the packaged manual page has warnings:"$'\n'"$warnings"

# The menu entry and the software centre's metadata, as the desktops' own
# tools read them, the two under one id, for a game that opens in a
# terminal with the package's icon.
share=$unpacked/usr/share
desktop=$share/applications/org.example.tidewrack.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the menu entry"
for line in Type=Application Exec=/usr/games/tidewrack Icon=tidewrack Terminal=true; do
  grep -qx "$line" "$desktop" || fail "the menu entry has no $line"
done
grep -qE '^Categories=Game;([A-Za-z]+;)*AdventureGame;' "$desktop" ||
  fail "the menu entry is not among the adventure games"
metainfo=$share/metainfo/org.example.tidewrack.metainfo.xml
appstreamcli validate --pedantic --no-net "$metainfo" || fail "appstreamcli refuses the metainfo"
grep -qF '<launchable type="desktop-id">org.example.tidewrack.desktop</launchable>' "$metainfo" ||
  fail "the metainfo does not launch the menu entry"
grep -qF "<release version=\"${version}\"" "$metainfo" || fail "the metainfo has no release ${version}"
zcat "$share/doc/tidewrack/changelog.Debian.gz" | head -n 1 |
  grep -qF "tidewrack (${version}-1) unstable;" || fail "the package's changelog does not start with ${version}-1"
grep -qF 'License: Expat' "$share/doc/tidewrack/copyright" || fail "the copyright file names no licence"

# Built with the distribution's hardening (fortified calls, immediate
# binding), and no folder of the build machine left in the program.
program=$unpacked/usr/games/tidewrack
readelf -d "$program" | grep 'BIND_NOW' >/dev/null || fail "the program is not linked with -z now"
readelf -W --dyn-syms "$program" | grep -E "__(memcpy|snprintf)_chk" >/dev/null ||
  fail "the program calls no fortified function"
if grep -qaF "$(pwd)" "$program"; then fail "the program holds the build's folder $(pwd)"; fi

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

# --- Installed in a clean root --------------------------------------------------
# A fresh Debian 12 of the smallest kind (debootstrap's minbase), where apt
# installs the package as a player does, with what its Depends bring: libedit2
# with its soname and nothing of libedit-dev, so a program that loads another
# name loses its line editing here, as it would for a player.
echo "-- the package installed in a clean root"
# The mirror this machine's own apt uses, where there is one.
mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null |
  head -n 1 || true)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
debootstrap --variant=minbase bookworm "$root" "${mirror:-http://deb.debian.org/debian}" \
  >"$logs/debootstrap.log" 2>&1 ||
  fail "debootstrap could not make a clean root:"$'\n'"$(tail -n 20 "$logs/debootstrap.log")"
cp "$deb" "$root/tmp/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }
{ in_root apt-get update -qq &&
  in_root apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")"; } </dev/null >"$logs/install.log" 2>&1 ||
  fail "apt could not install the package in the clean root:"$'\n'"$(cat "$logs/install.log")"
chroot "$root" dpkg-query -W -f '${Package} ${Status}\n' tidewrack libedit2 libedit-dev 2>/dev/null |
  tee "$logs/installed.txt"
grep -qx 'tidewrack install ok installed' "$logs/installed.txt" || fail "tidewrack is not installed in the root"
grep -qx 'libedit2 install ok installed' "$logs/installed.txt" || fail "the package did not bring libedit2"
[ -z "$(find "$root" -name libedit.so -o -name histedit.h)" ] || fail "the root holds libedit-dev's files"
command=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/org.example.tidewrack.desktop")

tmx() { tmux -L "$server" "$@"; }
screen_shows() { # screen_shows TEXT: until the screen shows TEXT (10 s at most)
  local deadline=$((SECONDS + 10))
  until tmx capture-pane -p -t game | grep -qF -- "$1"; do
    [ "$SECONDS" -lt "$deadline" ] ||
      fail "in the clean root the screen never showed '$1':"$'\n'"$(tmx capture-pane -p -t game)"
    sleep 0.1
  done
}
tmx -f /dev/null new-session -d -s game -x 80 -y 24 \
  "env -i TERM=xterm PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
     chroot '$root' $command; echo \"ended with status \$?\"; sleep 60"
screen_shows '[press a key]'
tmx send-keys -t game x
screen_shows 'What now?'
tmx send-keys -t game inventory Enter
screen_shows 'A life preserver'
# Up calls the command back, and the line editor edits it: Ctrl-A and a
# word typed before it.
tmx send-keys -t game Up C-a 'ab ' Enter
screen_shows "What now?  ab inventory"
screen_shows "You don't know those words"
! tmx capture-pane -p -t game | grep -qF 'no line editing' ||
  fail "no line editing in the clean root:"$'\n'"$(tmx capture-pane -p -t game)"
tmx send-keys -t game C-d
screen_shows 'ended with status 0'
echo "package: tidewrack ${version}-1 built, unpacked and played, and installed in a clean root with line editing"
