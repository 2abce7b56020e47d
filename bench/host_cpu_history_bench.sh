#!/usr/bin/env bash
# The headless host's CPU with its metrics and match history on, over the same host with them
# off, while it monitors many simulated servers whose games end every half minute or so.
#
#   bash bench/host_cpu_history_bench.sh [BUILD_DIR] [PROFILES] [SECONDS]
#
# Both hosts run side by side, each on its own root with PROFILES (default 50) profiles on
# dfbhd-sim children, and their CPU time (/proc/<pid>/task/*/schedstat) is read across the same
# SECONDS (default 90). Off: HistoryDays = 0 and nobody scrapes. On: the history is kept and
# /metrics is scraped every 15 s on MetricsListen, as Prometheus would. Run one after the other,
# the same host's CPU drifts by 10-15 % between runs on a shared machine, more than the
# difference measured; side by side both see the same machine. Two rounds, the other host
# started first in the second; the ratio is of the sums.
# Prints "RATIO host_cpu_history <on/off> target 1.1".
# ROTARYN_BENCH_SHORT=1 runs 3 profiles for 2 s in one round: a check of the script.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
if [ -n "${ROTARYN_BENCH_SHORT:-}" ]; then
  profiles="${2:-3}" seconds="${3:-2}" rounds=1 scrape_every=1
else
  profiles="${2:-50}" seconds="${3:-90}" rounds=2 scrape_every=15
fi
source "$(cd "$(dirname "$0")" && pwd)/bench_host_lib.sh"
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

# start MODE: lays out a root for the host with history and metrics MODE (on|off) and starts it.
start() {
  local mode=$1 dir
  dir="$(mktemp -d "${TMPDIR:-/tmp}/rotaryn-cpu-history-$1.XXXXXX")"
  root[${mode}]="${dir}"
  "${host}" --init-root "${dir}" >/dev/null
  {
    echo "[Host]"
    echo "Simulator = ${simulator}"
    [ "${mode}" = off ] && echo "HistoryDays = 0"
    for ((i = 1; i <= profiles; i++)); do
      printf '[Profile %d]\nServer = simulated --game-length %d --display-length 8 --loading-seconds 1\n' \
        "${i}" $((20 + i % 17))
      printf 'ProfileFolder = bench%d\nGameFolder = games/bench%d\n' "${i}" "${i}"
    done
  } > "${dir}/host.ini"
  if [ "${mode}" = on ]; then
    printf '[API]\nMetricsListen = 127.0.0.1:0\n' > "${dir}/administrators.ini"
    chmod 600 "${dir}/administrators.ini"
  fi
  bench_start_host "${dir}" "${profiles}"
  pid[${mode}]="${host_pid}"
}

# round FIRST SECOND: both hosts over the same seconds; adds their CPU nanoseconds to the sums.
sum_on=0 sum_off=0
round() {
  start "$1"
  start "$2"
  local url="" elapsed=0 on_start off_start
  for _ in $(seq 100); do
    url="$(sed -n 's/.*metrics listening on \(http[^ ]*\).*/\1/p' "${root[on]}/host.log")"
    [ -n "${url}" ] && break
    sleep 0.1
  done
  [ -n "${url}" ] || fail "no metrics listener"
  sleep 1
  on_start="$(bench_cpu_ns "${pid[on]}")" off_start="$(bench_cpu_ns "${pid[off]}")"
  while [ "${elapsed}" -lt "${seconds}" ]; do
    if [ $((elapsed % scrape_every)) -eq 0 ]; then
      curl -sf "${url}" > "${root[on]}/scrape" || fail "the scrape failed"
    fi
    sleep 1
    elapsed=$((elapsed + 1))
  done
  sum_on=$((sum_on + $(bench_cpu_ns "${pid[on]}") - on_start))
  sum_off=$((sum_off + $(bench_cpu_ns "${pid[off]}") - off_start))
  kill -0 "${pid[on]}" 2>/dev/null && kill -0 "${pid[off]}" 2>/dev/null || fail "a host ended early"
  if [ -z "${ROTARYN_BENCH_SHORT:-}" ] &&
    [ -z "$(find "${root[on]}/logs/history" -name '*.jsonl' -size +0 2>/dev/null)" ]; then
    fail "no history written"
  fi
  cleanup
}

for ((r = 0; r < rounds; r++)); do
  if [ $((r % 2)) -eq 0 ]; then round off on; else round on off; fi
done
awk -v on="${sum_on}" -v off="${sum_off}" -v n="${profiles}" -v s="${seconds}" -v r="${rounds}" 'BEGIN {
  printf "host_cpu_history: %d profiles, %d round(s) of %d s side by side: %.3f s CPU with metrics and history, %.3f s without\n",
         n, r, s, on / 1e9, off / 1e9
  printf "RATIO host_cpu_history %.3f target 1.1\n", (off > 0 ? on / off : 0) }'
