#!/usr/bin/env bash
# The headless host's CPU with its metrics and match history on, over the same host with them
# off, while it monitors many simulated servers whose games end every half minute or so.
#
#   bash bench/host_cpu_history_bench.sh [BUILD_DIR] [PROFILES] [SECONDS]
#
# Both hosts run side by side, each on its own root with PROFILES (default 50) profiles on
# dfbhd-sim children, and their CPU time (/proc/<pid>/task/*/schedstat) is read across the same
# SECONDS (default 90) after both loaded. Off: HistoryDays = 0 and nobody scrapes. On: the history
# is kept and /metrics on MetricsListen is scraped every 15 s over one kept-alive connection, as
# Prometheus does. Run one after the other, the same host's CPU drifts by 10-15 % between runs on
# a shared machine, more than the difference measured; side by side both see the same machine.
# Both start together; ROTARYN_BENCH_ROUNDS rounds (default 2), the other host started first in
# every second one; the ratio is of the sums, each round's own ratio is printed beside it.
# ROTARYN_BENCH_AA=1 runs the on host as the off one: the method's own noise (about 1.00).
# Prints "RATIO host_cpu_history <on/off> target 1.1".
# ROTARYN_BENCH_SHORT=1 runs 3 profiles for 5 s in one round: a check of the script.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
if [ -n "${ROTARYN_BENCH_SHORT:-}" ]; then
  profiles="${2:-3}" seconds="${3:-5}" rounds=1 scrape_every=1 settle=0
else
  profiles="${2:-50}" seconds="${3:-90}" rounds="${ROTARYN_BENCH_ROUNDS:-2}" scrape_every=15 settle=5
fi
aa="${ROTARYN_BENCH_AA:-}"
here="$(cd "$(dirname "$0")" && pwd)"
source "${here}/bench_host_lib.sh"
bench_programs host_cpu_history "${build}"

declare -A root=() pid=()
cleanup() {
  local mode
  bench_stop_host  # the one being started, when that failed
  for mode in off on; do
    host_pid="${pid[${mode}]:-}"
    bench_stop_host
    [ -n "${root[${mode}]:-}" ] && rm -rf "${root[${mode}]}"
  done
  root=() pid=()
  return 0
}
trap cleanup EXIT
fail() {
  local mode
  for mode in off on; do
    [ -f "${root[${mode}]:-}/host.log" ] && tail -20 "${root[${mode}]}/host.log" >&2
  done
  echo "host_cpu_history: $*" >&2
  cleanup
  exit 1
}

# start MODE: lays out a root for the host with history and metrics MODE (on|off) and starts it
# without waiting for it.
start() {
  local mode=$1 dir
  dir="$(mktemp -d "${TMPDIR:-/tmp}/rotaryn-cpu-history-$1.XXXXXX")"
  root[${mode}]="${dir}"
  "${host}" --init-root "${dir}" >/dev/null
  {
    echo "[Host]"
    echo "Simulator = ${simulator}"
    [ "${mode}" = off ] || [ -n "${aa}" ] && echo "HistoryDays = 0"
    for ((i = 1; i <= profiles; i++)); do
      printf '[Profile %d]\nServer = simulated --game-length %d --display-length 8 --loading-seconds 1\n' \
        "${i}" $((20 + i % 17))
      printf 'ProfileFolder = bench%d\nGameFolder = games/bench%d\n' "${i}" "${i}"
    done
  } > "${dir}/host.ini"
  if [ "${mode}" = on ] && [ -z "${aa}" ]; then
    printf '[API]\nMetricsListen = 127.0.0.1:0\n' > "${dir}/administrators.ini"
    chmod 600 "${dir}/administrators.ini"
  fi
  bench_launch_host "${dir}"
  pid[${mode}]="${host_pid}"
  host_pid=""
}

# cpu_both FIRST SECOND: "ON OFF", the two hosts' CPU nanoseconds read by one process, FIRST's
# files first. Read by two processes one after the other, the host read first lost a monitor
# wake-up to the other at the window's edges often enough to read 4 % lower in runs of both
# hosts alike.
cpu_both() {
  awk -v on="/proc/${pid[on]}/" '{ if (index(FILENAME, on) == 1) a += $1; else b += $1 }
    END { printf "%.0f %.0f\n", a, b }' /proc/"${pid[$1]}"/task/*/schedstat \
    /proc/"${pid[$2]}"/task/*/schedstat
}

# round FIRST SECOND: both hosts over the same seconds; adds their CPU nanoseconds to the sums
# and their ratio to `ratios`. Both start together, so that their servers' games end in step.
sum_on=0 sum_off=0 ratios=""
round() {
  start "$1"
  start "$2"
  bench_wait_host "${root[on]}" "${profiles}" "${pid[on]}"
  bench_wait_host "${root[off]}" "${profiles}" "${pid[off]}"
  local url="" on_start off_start on_ns off_ns
  if [ -z "${aa}" ]; then
    for _ in $(seq 100); do
      url="$(sed -n 's/.*metrics listening on \(http[^ ]*\).*/\1/p' "${root[on]}/host.log")"
      [ -n "${url}" ] && break
      sleep 0.1
    done
    [ -n "${url}" ] || fail "no metrics listener"
  fi
  sleep "${settle}"
  read -r on_start off_start < <(cpu_both "$1" "$2")
  if [ -n "${url}" ]; then
    python3 "${here}/metrics_scraper.py" "${url}" "${scrape_every}" "${seconds}" \
      > "${root[on]}/scrapes" || fail "a scrape failed"
  else
    sleep "${seconds}"
  fi
  read -r on_ns off_ns < <(cpu_both "$1" "$2")
  on_ns=$((on_ns - on_start)) off_ns=$((off_ns - off_start))
  kill -0 "${pid[on]}" 2>/dev/null && kill -0 "${pid[off]}" 2>/dev/null || fail "a host ended early"
  if [ -z "${ROTARYN_BENCH_SHORT:-}" ] && [ -z "${aa}" ] &&
    [ -z "$(find "${root[on]}/logs/history" -name '*.jsonl' -size +0 2>/dev/null)" ]; then
    fail "no history written"
  fi
  sum_on=$((sum_on + on_ns)) sum_off=$((sum_off + off_ns))
  ratios="${ratios} $(awk -v on="${on_ns}" -v off="${off_ns}" 'BEGIN { printf "%.3f", (off > 0 ? on / off : 0) }')"
  cleanup
}

for ((r = 0; r < rounds; r++)); do
  if [ $((r % 2)) -eq 0 ]; then round off on; else round on off; fi
done
awk -v on="${sum_on}" -v off="${sum_off}" -v n="${profiles}" -v s="${seconds}" -v r="${rounds}" -v rs="${ratios}" 'BEGIN {
  printf "host_cpu_history: %d profiles, %d round(s) of %d s side by side: %.3f s CPU with metrics and history, %.3f s without; rounds:%s\n",
         n, r, s, on / 1e9, off / 1e9, rs
  printf "RATIO host_cpu_history %.3f target 1.1\n", (off > 0 ? on / off : 0) }'
