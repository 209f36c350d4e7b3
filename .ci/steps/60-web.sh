#!/usr/bin/env bash
# The web edition: the site built by the `web` preset with Debian's
# emscripten (build/web/site), then its tests (label "web"): every scripted
# session under Node through the WebAssembly build of the harness, the Node
# pipe-mode program against the native program byte for byte, a whole game
# in Debian's chromium, headless, and the page in the three engines:
# chromium, Firefox ESR (headless, over WebDriver BiDi) and WebKitGTK (its
# MiniBrowser under Xvfb, through WebKitWebDriver). The toolchain, the
# browsers, Xvfb and the pinned npm packages (frontends/web/package-lock.json)
# are installed when they are missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
started=$SECONDS

have() { command -v "$1" >/dev/null; }
missing=()
have em++ || missing+=(emscripten)
# The toolchain's JavaScript tools need acorn from Debian's Node modules.
[ -f /usr/share/nodejs/acorn/package.json ] || missing+=(node-acorn)
have node || missing+=(nodejs)
have npm || missing+=(npm)
have chromium || missing+=(chromium)
have firefox-esr || missing+=(firefox-esr)
# WebKitWebDriver starts the MiniBrowser of Debian's WebKitGTK, which it depends on.
have WebKitWebDriver || missing+=(webkit2gtk-driver)
have Xvfb || missing+=(xvfb)
# The site's files are also kept compressed with brotli and gzip.
have brotli || missing+=(brotli)
have gzip || missing+=(gzip)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    </dev/null
fi
export NODE_PATH=/usr/share/nodejs

# The terminal emulator and the browser driver, exactly as the lockfile pins
# them; no package runs an install script (none downloads a browser).
(cd frontends/web && timeout 300 npm ci --no-audit --no-fund --ignore-scripts </dev/null)

rm -rf build/web
timeout 1500 cmake --workflow --preset web </dev/null
timeout 900 ctest --preset web </dev/null
echo "site: $(du -cb build/web/site/* | tail -n 1 | cut -f1) bytes in build/web/site"
echo "web: $((SECONDS - started))s"
