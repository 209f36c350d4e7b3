#!/usr/bin/env bash
# The Windows build: cross-compiled with Debian's mingw-w64 (build/windows,
# every compiler warning an error, and no warning of any other kind in the
# build's log either), then its tests (label "windows") under Debian's wine:
# the scripted sessions, the saved-game checks, the real Windows program in
# pipe mode against the real Linux program, saves crossing both ways, and the
# console front end on a wine console. The cross-compiler and wine are
# installed when they are missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
started=$SECONDS

have() { command -v "$1" >/dev/null; }
missing=()
have x86_64-w64-mingw32-g++ || have x86_64-w64-mingw32-g++-posix || missing+=(g++-mingw-w64-x86-64)
# Debian's wine runs 64-bit programs through wine64; "wine" picks it.
have wine || have wine64 || missing+=(wine wine64)
have script || missing+=(bsdutils)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    </dev/null
fi
if ! have wine && ! have wine64; then
  echo "windows: no wine after installing it" >&2
  exit 1
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
cmake --workflow --preset windows </dev/null 2>&1 | tee "$log" || status=$?

# Compiler warnings already fail the build; the linker's and any other tool's
# are caught here.
if grep -iE '(^|[^a-z])warning:' "$log" >/dev/null; then
  echo "windows: the build gave warnings:" >&2
  grep -iE '(^|[^a-z])warning:' "$log" >&2
  status=1
fi
echo "windows: $((SECONDS - started))s"
exit "$status"
