#!/usr/bin/env bash
# Opens the host's window on a demo root with simulated servers; the plug-in's window shows the
# first profile whose server is up, and Server > Maps opens it for the profile chosen.
#
#   scripts/demo_window.sh [BUILD]     BUILD: the build folder (default: build)
#
# With a display the window opens there. Without one it runs under Xvfb (xvfb-run) and saves a
# screenshot of the loaded window, or, with DEMO_VNC=1, serves the window over VNC.
# Settings:
#   DEMO_SECONDS=N       close the window by itself after N seconds
#   DEMO_ROOT=DIR        the host root to use (default: BUILD/demo-window-root)
#   DEMO_SCREENSHOT=PNG  where the screenshot goes without a display (default: BUILD/window.png)
#   DEMO_VNC=1           without a display: serve the window on localhost:${DEMO_VNC_PORT:-5900}
set -euo pipefail
build="${1:-build}"
host="${build}/host/rotaryn-host"
root="${DEMO_ROOT:-${build}/demo-window-root}"
shot="${DEMO_SCREENSHOT:-${build}/window.png}"

if [ ! -x "${host}" ]; then
  echo "demo_window: ${host} is not built; run make first" >&2
  exit 1
fi

# The root: a host.ini with three simulated servers, and the built plug-in in Plugins/.
# The host.ini comes first: --init-root keeps one that is there and would write its own otherwise.
mkdir -p "${root}"
if [ ! -f "${root}/host.ini" ]; then
  cat >"${root}/host.ini" <<'INI'
; The demo's host: three simulated servers, each started as a dfbhd-sim child.
[Host]
AreaWidth = 11040
AreaHeight = 8400

[Profile 1]
Server = simulated --game-length 240
GameFolder = games/alpha
ProfileFolder = alpha

[Profile 2]
Server = simulated --game-length 180 --speed 2
GameFolder = games/bravo
ProfileFolder = bravo

[Profile 3]
Server = simulated --build affiliate --game-length 300
GameFolder = games/charlie
ProfileFolder = charlie
INI
fi
"${host}" --init-root "${root}"

args=(--window --root "${root}")
[ -n "${DEMO_SECONDS:-}" ] && args+=(--duration "${DEMO_SECONDS}")

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "demo_window: opening the host window on ${root} (close it to stop)"
  exec "${host}" "${args[@]}"
fi

if [ "${DEMO_VNC:-0}" = 1 ]; then
  port="${DEMO_VNC_PORT:-5900}"
  echo "demo_window: no display; the window is served over VNC."
  echo "demo_window: connect a VNC viewer to localhost:${port} (e.g. vncviewer localhost:${port});"
  echo "demo_window: stop with Ctrl-C${DEMO_SECONDS:+ or wait ${DEMO_SECONDS} s}"
  QT_QPA_PLATFORM="vnc:size=1280x800:port=${port}" exec "${host}" "${args[@]}"
fi

echo "demo_window: no display; running the window under Xvfb and saving a screenshot"
mkdir -p "$(dirname "${shot}")"
if command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x800x24" "${host}" "${args[@]}" --screenshot "${shot}"
else
  QT_QPA_PLATFORM=offscreen "${host}" "${args[@]}" --screenshot "${shot}"
fi
echo "demo_window: look at the loaded window in ${shot}"
echo "demo_window: to use it live without a display: DEMO_VNC=1 $0 ${build}"
