#!/usr/bin/env bash
# The headless host's CPU with its metrics and match history on, over the same host with them
# off, while it monitors many simulated servers whose games end every half minute or so.
#
#   bash bench/host_cpu_history_bench.sh [BUILD_DIR] [PROFILES] [SECONDS]
#
# Each run lays out a root with PROFILES (default 50) profiles on dfbhd-sim children, waits until
# every profile is loaded and reads the host's CPU time (/proc/<pid>/task/*/schedstat) across
# SECONDS (default 90). Off: HistoryDays = 0 and nobody scrapes. On: the history is kept and
# /metrics is scraped every 15 s on MetricsListen, as Prometheus would. Off and on alternate,
# twice each; the least CPU of each counts. Prints "RATIO host_cpu_history <on/off> target 1.1".
# ROTARYN_BENCH_SHORT=1 runs 3 profiles for 2 s once each: a check of the script.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
if [ -n "${ROTARYN_BENCH_SHORT:-}" ]; then
  profiles="${2:-3}" seconds="${3:-2}" repeats=1 scrape_every=1
else
  profiles="${2:-50}" seconds="${3:-90}" repeats=2 scrape_every=15
fi
source "$(cd "$(dirname "$0")" && pwd)/bench_host_lib.sh"
bench_programs host_cpu_history "${build}"

root=""
cleanup() {
  bench_stop_host
  [ -n "${root}" ] && rm -rf "${root}"
  return 0
}
trap cleanup EXIT
fail() {
  [ -f "${root}/host.log" ] && tail -20 "${root}/host.log" >&2
  echo "host_cpu_history: $*" >&2
  cleanup  # also from inside a command substitution, which does not run the EXIT trap
  exit 1
}

# run on|off: prints the host's CPU nanoseconds over the measured seconds.
run() {
  root="$(mktemp -d "${TMPDIR:-/tmp}/rotaryn-cpu-history.XXXXXX")"
  "${host}" --init-root "${root}" >/dev/null
  {
    echo "[Host]"
    echo "Simulator = ${simulator}"
    [ "$1" = off ] && echo "HistoryDays = 0"
    for ((i = 1; i <= profiles; i++)); do
      printf '[Profile %d]\nServer = simulated --game-length %d --display-length 8 --loading-seconds 1\n' \
        "${i}" $((20 + i % 17))
      printf 'ProfileFolder = bench%d\nGameFolder = games/bench%d\n' "${i}" "${i}"
    done
  } > "${root}/host.ini"
  [ "$1" = on ] && printf '[API]\nMetricsListen = 127.0.0.1:0\n' > "${root}/administrators.ini" \
    && chmod 600 "${root}/administrators.ini"
  bench_start_host "${root}" "${profiles}"
  local url=""
  if [ "$1" = on ]; then
    for _ in $(seq 100); do
      url="$(sed -n 's/.*metrics listening on \(http[^ ]*\).*/\1/p' "${root}/host.log")"
      [ -n "${url}" ] && break
      sleep 0.1
    done
    [ -n "${url}" ] || fail "no metrics listener"
  fi
  sleep 1
  local start end elapsed=0
  start="$(bench_cpu_ns)"
  while [ "${elapsed}" -lt "${seconds}" ]; do
    if [ -n "${url}" ] && [ $((elapsed % scrape_every)) -eq 0 ]; then
      curl -sf "${url}" > "${root}/scrape" || fail "the scrape failed"
    fi
    sleep 1
    elapsed=$((elapsed + 1))
  done
  end="$(bench_cpu_ns)"
  kill -0 "${host_pid}" 2>/dev/null || fail "the host ended early"
  if [ "$1" = on ] && [ -z "${ROTARYN_BENCH_SHORT:-}" ]; then
    [ -n "$(find "${root}/logs/history" -name '*.jsonl' 2>/dev/null)" ] || fail "no history written"
  fi
  cleanup
  root="" host_pid=""
  echo $((end - start))
}

best_off="" best_on=""
for ((r = 0; r < repeats; r++)); do
  off="$(run off)"
  on="$(run on)"
  { [ -z "${best_off}" ] || [ "${off}" -lt "${best_off}" ]; } && best_off="${off}"
  { [ -z "${best_on}" ] || [ "${on}" -lt "${best_on}" ]; } && best_on="${on}"
done
awk -v on="${best_on}" -v off="${best_off}" -v n="${profiles}" -v s="${seconds}" 'BEGIN {
  printf "host_cpu_history: %d profiles, %d s: %.3f s CPU with metrics and history, %.3f s without\n",
         n, s, on / 1e9, off / 1e9
  printf "RATIO host_cpu_history %.3f target 1.1\n", (off > 0 ? on / off : 0) }'
