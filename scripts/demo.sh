#!/usr/bin/env bash
# `make demo`: the headless host on a demo root with two simulated servers, printing the map
# playing and the game state of each as they change.
#
#   bash scripts/demo.sh [BUILD_DIR]
#
# The root is laid out under BUILD_DIR/demo-root (host.ini, the plug-in in Plugins/, a few
# generated custom map files in each game folder). The run is bounded when DEMO_SECONDS is set
# or stdin is not a terminal (default 60 s); otherwise it runs until Ctrl-C. Either way the
# host unloads the plug-in and stops its dfbhd-sim children before this script ends.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
host="${build}/host/rotaryn-host"
simulator="${build}/sim/dfbhd-sim"
for exe in "${host}" "${simulator}"; do
  if [ ! -x "${exe}" ]; then
    echo "demo: ${exe} is not built (run make build first)" >&2
    exit 2
  fi
done

root="${build}/demo-root"
rm -rf "${root}"
"${host}" --init-root "${root}" >/dev/null

# A custom map file: "BMS", the map's name at offset 4 (32 bytes), game-type bytes at 138, 139.
bms() {
  local path="$1" name="$2" type_a="$3" type_b="$4"
  mkdir -p "$(dirname "${path}")"
  head -c 512 /dev/zero >"${path}"
  printf 'BMS' | dd of="${path}" bs=1 seek=0 conv=notrunc status=none
  printf '%s' "${name:0:31}" | dd of="${path}" bs=1 seek=4 conv=notrunc status=none
  # shellcheck disable=SC2059  # the format is built to hold two octal escapes
  printf "\\$(printf '%03o' "${type_a}")\\$(printf '%03o' "${type_b}")" |
    dd of="${path}" bs=1 seek=138 conv=notrunc status=none
}
bms "${root}/games/alpha/CUSTOM_DUNES.bms" "Dune Patrol" 0 3
bms "${root}/games/alpha/CUSTOM_HARBOR.bms" "Harbor Lights" 0 33
bms "${root}/games/bravo/MOD_RIDGE.bms" "Ridge Line" 150 1
bms "${root}/games/bravo/MOD_VALLEY.bms" "Quiet Valley" 0 66

# Short games so the maps change while you watch: 40 s a game, 5 s of scores, 3 s loading.
cat >"${root}/host.ini" <<INI
; The demo host: two simulated servers.
[Host]
Simulator = ${simulator}

[Profile 1]
Server = simulated --build standard --pack localres.pff --game-length 40 --display-length 5
GameFolder = games/alpha
ProfileFolder = alpha
HostText0 = Alpha (standard build)

[Profile 2]
Server = simulated --build affiliate --pack urbanwar.pff --game-length 25 --display-length 5 --position 1
GameFolder = games/bravo
ProfileFolder = bravo
HostText0 = Bravo (affiliate build, mod pack)
INI

args=(--headless --root "${root}" --watch 500)
if [ -n "${DEMO_SECONDS:-}" ] || [ ! -t 0 ]; then
  args+=(--duration "${DEMO_SECONDS:-60}")
  echo "demo: the host runs for ${DEMO_SECONDS:-60} s on ${root}"
else
  echo "demo: the host runs on ${root}; Ctrl-C stops it"
fi

log="$(mktemp "${TMPDIR:-/tmp}/rotaryn-demo.XXXXXX")"
trap 'rm -f "${log}"' EXIT
# Ctrl-C reaches the host (same process group); this script waits for it to finish cleanly.
trap '' INT
status=0
"${host}" "${args[@]}" | tee "${log}" || status=$?
trap - INT

# The host stops its servers on the way out; say so if one were left behind.
left=0
while read -r pid; do
  if kill -0 "${pid}" 2>/dev/null && grep -q dfbhd-sim "/proc/${pid}/cmdline" 2>/dev/null; then
    echo "demo: dfbhd-sim pid ${pid} is still running" >&2
    left=1
  fi
done < <(sed -n 's/.*its server runs as pid \([0-9]*\).*/\1/p' "${log}")
if [ "${status}" -ne 0 ]; then
  echo "demo: rotaryn-host exited with status ${status}" >&2
  exit "${status}"
fi
[ "${left}" -eq 0 ] || exit 1
echo "demo: done; every server has stopped"
