#!/usr/bin/env bash
# The page's tests in Debian's Chromium (tests/web/page.test.mjs); playwright-core comes from npm, installed
# here from the lock file when it is missing. The site must have been built (scripts/web.sh --build-only).
#
#     tests/web/run.sh NATIVE-RUNNER SITE-FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
sim=$(readlink -f "$1")
site=$(readlink -f "$2")
[[ -f $site/index.html && -f $site/tramolo.wasm ]] || { echo "no site in $2: run scripts/web.sh --build-only" >&2; exit 1; }
command -v "${CHROMIUM:-/usr/bin/chromium}" > /dev/null || { echo "Chromium is missing (package chromium)" >&2; exit 1; }
if [[ ! -d $here/node_modules/playwright-core ]]; then
    command -v npm > /dev/null || bash "$here/../../scripts/deps.sh" packages npm
    (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi
cd "$here"
TRAMOLO_SIM=$sim TRAMOLO_SITE=$site exec node --test page.test.mjs
