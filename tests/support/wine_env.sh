# Sourced by the tests that run dfbhd-sim.exe under Wine (after `set -euo pipefail`): the build's
# private prefix ($ROTARYN_WINEPREFIX, made once by the wine.prefix test), no Wine debug output,
# and $wine_loader, the 64-bit loader. Where Wine cannot start the test says so and exits 77,
# which ctest reports as skipped.
wine_skip() {
  echo "SKIPPED: $* -- nothing ran under Wine"
  exit 77
}
export WINEDEBUG=-all
export WINEPREFIX="${ROTARYN_WINEPREFIX:?ROTARYN_WINEPREFIX names the Wine prefix of the build}"
wine_loader="$(command -v wine64 || true)"
[ -z "$wine_loader" ] && [ -x /usr/lib/wine/wine64 ] && wine_loader=/usr/lib/wine/wine64
[ -z "$wine_loader" ] && wine_loader="$(command -v wine || true)"
[ -n "$wine_loader" ] || wine_skip "Wine is not installed (Debian wine64)"
[ -f "$WINEPREFIX/rotaryn-ready" ] ||
  wine_skip "Wine could not make the prefix $WINEPREFIX (the wine.prefix test says why)"
# Z:\path\to\file: the drive Wine maps to the Linux root.
windows_path() { printf 'Z:%s' "$(realpath "$1" | tr / '\\')"; }
