#!/usr/bin/env bash
# What open web consoles cost the host: its CPU time while 5 consoles poll 50 profiles for 60 s,
# over its CPU time in the same run with no console.
#
#   bash bench/console_poll_bench.sh [BUILD_DIR] [PROFILES] [SECONDS] [CONSOLES]
#
# A console's servers page asks every 2 s for the profile list with each profile's status, on
# one kept-alive connection; bench/console_poll_client.py does exactly that for each
# console. The host's CPU is read from /proc/<pid>/task/*/schedstat (the scheduler's own count)
# over SECONDS without consoles, then over SECONDS with them. Prints
# RATIO console_poll <with / without> target 1.5.
# ROTARYN_BENCH_SHORT=1 runs 3 profiles for 2 s: a check of the script, not a measurement.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
if [ -n "${ROTARYN_BENCH_SHORT:-}" ]; then
  profiles="${2:-3}" seconds="${3:-2}" settle=0.5
else
  profiles="${2:-50}" seconds="${3:-60}" settle=2
fi
consoles="${4:-5}"
host="${build}/host/rotaryn-host"
simulator="${build}/sim/dfbhd-sim"
client="$(cd "$(dirname "$0")" && pwd)/console_poll_client.py"
for exe in "${host}" "${simulator}"; do
  [ -x "${exe}" ] || { echo "console_poll_bench: ${exe} is not built" >&2; exit 2; }
done

root="$(mktemp -d "${TMPDIR:-/tmp}/rotaryn-console-bench.XXXXXX")"
log="${root}/host.log"
host_pid=""
cleanup() {
  if [ -n "${host_pid}" ] && kill -0 "${host_pid}" 2>/dev/null; then
    kill -TERM "${host_pid}" 2>/dev/null || true
    wait "${host_pid}" 2>/dev/null || true
  fi
  rm -rf "${root}"
}
trap cleanup EXIT

"${host}" --init-root "${root}" >/dev/null
{
  echo "[Host]"
  echo "Simulator = ${simulator}"
  for ((i = 1; i <= profiles; i++)); do
    printf '\n[Profile %d]\nServer = simulated --build standard --game-length 600\n' "${i}"
    printf 'ProfileFolder = bench%d\nGameFolder = games/bench%d\n' "${i}" "${i}"
  done
} >"${root}/host.ini"
"${host}" --root "${root}" --add-admin console --privileges "Skip Maps" >"${root}/admin.out"
token="$(tail -1 "${root}/admin.out")"

"${host}" --headless --root "${root}" --listen 127.0.0.1:0 >"${log}" 2>&1 &
host_pid=$!
for ((waited = 0; waited < 600; waited++)); do
  loaded="$(grep -c ": loaded;" "${log}" || true)"
  [ "${loaded}" -ge "${profiles}" ] && break
  kill -0 "${host_pid}" 2>/dev/null || { cat "${log}" >&2; echo "console_poll_bench: the host ended" >&2; exit 1; }
  sleep 0.1
done
[ "${loaded}" -ge "${profiles}" ] || { cat "${log}" >&2; echo "console_poll_bench: ${loaded} of ${profiles} loaded" >&2; exit 1; }
port="$(sed -n 's/.*listening on http:\/\/127.0.0.1:\([0-9]*\).*/\1/p' "${log}")"
sleep "${settle}"

run_ns() {
  cat "/proc/${host_pid}"/task/*/schedstat | awk '{ sum += $1 } END { printf "%.0f\n", sum }'
}
# Each phase's CPU is divided by its own wall time: the consoles' phase runs a little longer,
# since they are opened one after another.
a="$(run_ns)" ta="$(date +%s%N)"
sleep "${seconds}"
b="$(run_ns)" tb="$(date +%s%N)"
requests="$(python3 "${client}" "http://127.0.0.1:${port}" "${token}" "${consoles}" "${seconds}")" ||
  { echo "console_poll_bench: the consoles' requests were refused: ${requests}" >&2; exit 1; }
c="$(run_ns)" tc="$(date +%s%N)"
kill -0 "${host_pid}" 2>/dev/null || { echo "console_poll_bench: the host ended early" >&2; exit 1; }

awk -v idle="$((b - a))" -v busy="$((c - b))" -v wi="$((tb - ta))" -v wb="$((tc - tb))" \
  -v n="${profiles}" -v k="${consoles}" -v req="${requests}" 'BEGIN {
    printf "rotaryn-host, %d profiles: %.3f s CPU in %.1f s without a console (%.2f %% of a core), %.3f s in %.1f s with %d consoles (%.2f %%; %s)\n",
           n, idle / 1e9, wi / 1e9, 100 * idle / wi, busy / 1e9, wb / 1e9, k, 100 * busy / wb, req
    if (idle <= 0) idle = 1
    printf "RATIO console_poll %.2f target 1.5\n", (busy / wb) / (idle / wi) }'
