#!/usr/bin/env bash
# The build's private Wine prefix, shared by the tests under Wine.
#   wine_prefix.sh setup PREFIX    makes it once (wineboot, the slow part: tens of seconds) and
#                                  keeps its wineserver up for the tests that follow, so each
#                                  server they start comes up in a second
#   wine_prefix.sh cleanup PREFIX  stops that wineserver and every Wine process of the prefix
# A machine where Wine cannot start skips (exit 77) and says why.
set -euo pipefail
action="$1"
export WINEPREFIX="$2" WINEDEBUG=-all
wineserver="$(command -v wineserver || true)"
[ -z "$wineserver" ] && [ -x /usr/lib/wine/wineserver64 ] && wineserver=/usr/lib/wine/wineserver64
if [ "$action" = cleanup ]; then
  [ -n "$wineserver" ] && [ -d "$WINEPREFIX" ] && "$wineserver" -k 2>/dev/null || true
  exit 0
fi
loader="$(command -v wine64 || true)"
[ -z "$loader" ] && [ -x /usr/lib/wine/wine64 ] && loader=/usr/lib/wine/wine64
[ -z "$loader" ] && loader="$(command -v wine || true)"
if [ -z "$loader" ] || [ -z "$wineserver" ]; then
  echo "SKIPPED: Wine is not installed (Debian wine64); the tests under Wine skip"
  exit 77
fi
mkdir -p "$WINEPREFIX"
# Up to five minutes after the last Wine program ends, then it goes by itself.
# Its daemon and Wine's own services must not hold ctest's output pipe open.
"$wineserver" -p300 </dev/null >/dev/null 2>&1 || true
if [ ! -f "$WINEPREFIX/rotaryn-ready" ]; then
  if ! timeout 300 "$loader" wineboot --init </dev/null >"$WINEPREFIX/wineboot.log" 2>&1; then
    echo "SKIPPED: Wine cannot start here: wineboot failed: $(tail -5 "$WINEPREFIX/wineboot.log")"
    exit 77
  fi
  touch "$WINEPREFIX/rotaryn-ready"
fi
# Wine's own services start with the first program a wineserver runs and keep its descriptors:
# started here, they hold /dev/null rather than some test's pipe.
"$loader" wineboot </dev/null >/dev/null 2>&1 || true
echo "Wine prefix $WINEPREFIX ready: $("$loader" --version </dev/null 2>/dev/null || true)"
