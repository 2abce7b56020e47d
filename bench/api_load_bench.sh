#!/usr/bin/env bash
# The remote API under load: CLIENTS clients (default 4) send RATE requests per second in all
# (default 100) for SECONDS (default 60) to a headless host on one dfbhd-sim server, a mix of
# GetMapsRem (6 in 10), skips (2 in 10) and task edits (2 in 10), each client one connection
# of bench/api_load_client pacing its own requests. Prints the errors (answers other than 200),
# whether the plug-in's admin log has one line per change made, and the p50 / p99 latency.
# The floor, measured in the same run, is the plug-in's own time for the same calls, which the
# host's audit records for each request (pluginMs); RATIO is the p50 latency seen by the clients
# over the p50 of that floor: what HTTP, the token check, the audit and the waiting add.
#
#   bash bench/api_load_bench.sh [BUILD_DIR] [SECONDS] [RATE] [CLIENTS]
# ROTARYN_BENCH_SHORT=1 runs 2 clients at 20/s for 2 s: a check of the script, not a measurement.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
if [ -n "${ROTARYN_BENCH_SHORT:-}" ]; then
  seconds="${2:-2}" rate="${3:-20}" clients="${4:-2}"
else
  seconds="${2:-60}" rate="${3:-100}" clients="${4:-4}"
fi
host="$build/host/rotaryn-host"
sim="$build/sim/dfbhd-sim"
client="$build/bench/api_load_client"
for exe in "$host" "$sim" "$client"; do
  [ -x "$exe" ] || { echo "api_load_bench: $exe is not built" >&2; exit 2; }
done
root="$(mktemp -d "${TMPDIR:-/tmp}/rotaryn-api-load.XXXXXX")"
host_pid=""
cleanup() {
  [ -n "$host_pid" ] && kill -TERM "$host_pid" 2>/dev/null && wait "$host_pid" 2>/dev/null
  [ -n "${KEEP:-}" ] && cp "$root/load" /tmp/api_load_last; rm -rf "$root"
}
trap cleanup EXIT

"$host" --init-root "$root" > /dev/null
cat > "$root/host.ini" <<INI
[Host]
Simulator = $sim
[Profile 1]
Server = simulated --game-length 0 --tick-ms 20 --speed 8 --loading-seconds 0.5
GameFolder = games/one
ProfileFolder = one
INI
token="$("$host" --root "$root" --add-admin load \
  --privileges "Skip Maps,Add New Tasks,Change Map List" | tail -1)"
"$host" --headless --root "$root" --listen 127.0.0.1:0 > "$root/host.log" 2>&1 &
host_pid=$!
for _ in $(seq 300); do
  grep -q "profile 1 (one): loaded" "$root/host.log" && break
  sleep 0.1
done
grep -q "profile 1 (one): loaded" "$root/host.log" || { cat "$root/host.log" >&2; exit 1; }
port="$(sed -n 's/.*listening on http:\/\/127.0.0.1:\([0-9]*\).*/\1/p' "$root/host.log")"
path="/api/v1/profiles/1"
url="http://127.0.0.1:$port$path"
b64() { printf '%s' "$1" | base64 -w0; }

# One request file per client: the cycle of its requests (6 in 10 GetMapsRem, 2 skips, 2 task
# edits that move its task back and forth), read by api_load_client.
write_cycle() {  # CLIENT FILE
  local n="$1" file="$2" i a b
  a="0$((n + 1))/01/2031 10:00:00"
  b="0$((n + 1))/01/2031 11:00:00"
  for ((i = 0; i < 10; i++)); do
    case $i in
      3 | 8) printf '%s/SkipMapRem\n' "$path" ;;
      5) printf '%s/EditTaskRem\t{"data":"%s"}\n' "$path" "$(b64 "$a|$b|Random|Once")" ;;
      0) printf '%s/EditTaskRem\t{"data":"%s"}\n' "$path" "$(b64 "$b|$a|Random|Once")" ;;
      *) printf '%s/GetMapsRem\n' "$path" ;;
    esac
  done > "$file"
}
run_clients() {  # TOKEN SECONDS OUT
  local c files=()
  for ((c = 0; c < clients; c++)); do
    write_cycle "$c" "$root/client$c"
    files+=("$root/client$c")
  done
  "$client" "$port" "$1" "$2" "$rate" "${files[@]}" > "$3"
}
percentile() {  # FILE P -> seconds (column 2)
  awk '{print $2}' "$1" | sort -n | awk -v p="$2" '{v[NR]=$1} END {i=int(NR*p/100+0.999); if (i<1) i=1; print v[i]}'
}

# Each client's task exists before its edits.
for ((c = 0; c < clients; c++)); do
  curl -s -o /dev/null -H "Authorization: Bearer $token" \
    --data "{\"data\":\"$(b64 "0$((c + 1))/01/2031 10:00:00|Random|Once")\"}" "$url/AddTaskRem"
done
adminlog() { cat "$root"/profiles/one/adminlogs/*.txt 2>/dev/null | wc -l; }
lines_before="$(adminlog)"

run_clients "$token" "$seconds" "$root/load"
total="$(wc -l < "$root/load")"
errors="$(awk '$1 != 200' "$root/load" | wc -l)"
changes="$(awk '$1 == 200 && ($3 ~ /SkipMapRem|EditTaskRem/)' "$root/load" | wc -l)"
lines=$(($(adminlog) - lines_before))
p50="$(percentile "$root/load" 50)"
p99="$(percentile "$root/load" 99)"

grep -h '"pluginMs"' "$root"/logs/audit/*.jsonl |
  sed 's/.*"pluginMs":\([0-9.e-]*\).*/200 \1/' | awk '{print $1, $2 / 1000}' > "$root/floor"
floor50="$(percentile "$root/floor" 50)"

echo "api_load: $total requests in ${seconds}s by $clients clients ($rate/s): $errors errors"
echo "api_load: $changes changes made, $lines admin-log lines$([ "$changes" -eq "$lines" ] && echo " (equal)" || echo " (DIFFERENT)")"
echo "api_load: latency p50 $(awk -v s="$p50" 'BEGIN{printf "%.1f", s*1000}') ms, p99 $(awk -v s="$p99" 'BEGIN{printf "%.1f", s*1000}') ms; floor (the plug-in's own time) p50 $(awk -v s="$floor50" 'BEGIN{printf "%.1f", s*1000}') ms"
echo "RATIO api_load $(awk -v a="$p50" -v b="$floor50" 'BEGIN{printf "%.2f", a/b}') target 1.5"
[ "$errors" -eq 0 ] && [ "$changes" -eq "$lines" ]
