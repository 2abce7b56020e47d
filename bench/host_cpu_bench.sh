#!/usr/bin/env bash
# The headless host's own CPU use while it monitors many simulated servers.
#
#   bash bench/host_cpu_bench.sh [BUILD_DIR] [PROFILES] [SECONDS]
#
# Lays out a host root with PROFILES (default 50) profiles, each on its own dfbhd-sim child,
# starts `rotaryn-host --headless` on it, waits until every profile is loaded, then reads the
# host process's CPU time (/proc/<pid>/schedstat, and the clock ticks of /proc/<pid>/stat) at
# the start and the end of SECONDS (default 60) of monitoring. The children's CPU is not
# counted. Prints the host's CPU as a percentage of one core; the target is under 0.5 %.
# ROTARYN_BENCH_SHORT=1 runs 3 profiles for 2 s: a check of the script, not a measurement.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
if [ -n "${ROTARYN_BENCH_SHORT:-}" ]; then
  profiles="${2:-3}" seconds="${3:-2}" settle=0.5
else
  profiles="${2:-50}" seconds="${3:-60}" settle=2
fi
source "$(cd "$(dirname "$0")" && pwd)/bench_host_lib.sh"
bench_programs host_cpu_bench "${build}"

bench_root rotaryn-cpu-bench
{
  echo "[Host]"
  echo "Simulator = ${simulator}"
  for ((i = 1; i <= profiles; i++)); do
    echo
    echo "[Profile ${i}]"
    echo "Server = simulated --build standard --game-length 600"
    echo "ProfileFolder = bench${i}"
    echo "GameFolder = games/bench${i}"
    echo "HostText0 = Bench server ${i}"
  done
} >"${root}/host.ini"

bench_start_host "${root}" "${profiles}"
sleep "${settle}"  # let start-up work settle

ticks() {
  # Fields 14 and 15 of /proc/<pid>/stat (utime, stime), counted after the ")" of the name.
  local rest
  rest="$(sed 's/.*) //' "/proc/${host_pid}/stat")"
  awk '{ print $12 + $13 }' <<<"${rest}"
}
# Nanoseconds on a CPU from the scheduler's own count: exact, where the clock ticks of stat
# only sample which task was running (and a busy machine skews the sample).
# Summed over the host's threads.
run_ns() {
  if [ -r "/proc/${host_pid}/schedstat" ]; then
    cat "/proc/${host_pid}"/task/*/schedstat | awk '{ sum += $1 } END { printf "%.0f\n", sum }'
  else
    echo -1
  fi
}
hz="$(getconf CLK_TCK)"
start_ticks="$(ticks)"
start_run="$(run_ns)"
start_ns="$(date +%s%N)"
sleep "${seconds}"
end_ticks="$(ticks)"
end_run="$(run_ns)"
end_ns="$(date +%s%N)"
kill -0 "${host_pid}" 2>/dev/null || { echo "host_cpu_bench: the host ended early" >&2; exit 1; }

awk -v t="$((end_ticks - start_ticks))" -v hz="${hz}" -v ns="$((end_ns - start_ns))" \
  -v run="$((end_run - start_run))" -v exact="${start_run}" -v n="${profiles}" 'BEGIN {
    wall = ns / 1e9;
    if (exact >= 0) {
      printf "rotaryn-host, %d simulated profiles: %.3f s CPU in %.1f s = %.3f %% of one core (target < 0.5 %%)\n",
             n, run / 1e9, wall, 100 * run / 1e9 / wall
      # The floor here is one core: the share of it the host takes, in per cent.
      printf "RATIO host_cpu_percent %.3f target 0.5\n", 100 * run / 1e9 / wall
    }
    printf "  by clock ticks of /proc/<pid>/stat: %.2f s = %.3f %%\n", t / hz, 100 * t / hz / wall }'
