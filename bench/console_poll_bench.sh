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
source "$(cd "$(dirname "$0")" && pwd)/bench_host_lib.sh"
bench_programs console_poll_bench "${build}"
client="$(cd "$(dirname "$0")" && pwd)/console_poll_client.py"

bench_root rotaryn-console-bench
log="${root}/host.log"
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

bench_start_host "${root}" "${profiles}" --listen 127.0.0.1:0
port="$(sed -n 's/.*listening on http:\/\/127.0.0.1:\([0-9]*\).*/\1/p' "${log}")"
sleep "${settle}"

# Each phase's CPU is divided by its own wall time: the consoles' phase runs a little longer,
# since they are opened one after another.
a="$(bench_cpu_ns)" ta="$(date +%s%N)"
sleep "${seconds}"
b="$(bench_cpu_ns)" tb="$(date +%s%N)"
requests="$(python3 "${client}" "http://127.0.0.1:${port}" "${token}" "${consoles}" "${seconds}")" ||
  { echo "console_poll_bench: the consoles' requests were refused: ${requests}" >&2; exit 1; }
c="$(bench_cpu_ns)" tc="$(date +%s%N)"
kill -0 "${host_pid}" 2>/dev/null || { echo "console_poll_bench: the host ended early" >&2; exit 1; }

awk -v idle="$((b - a))" -v busy="$((c - b))" -v wi="$((tb - ta))" -v wb="$((tc - tb))" \
  -v n="${profiles}" -v k="${consoles}" -v req="${requests}" 'BEGIN {
    printf "rotaryn-host, %d profiles: %.3f s CPU in %.1f s without a console (%.2f %% of a core), %.3f s in %.1f s with %d consoles (%.2f %%; %s)\n",
           n, idle / 1e9, wi / 1e9, 100 * idle / wi, busy / 1e9, wb / 1e9, k, 100 * busy / wb, req
    if (idle <= 0) idle = 1
    printf "RATIO console_poll %.2f target 1.5\n", (busy / wb) / (idle / wi) }'
