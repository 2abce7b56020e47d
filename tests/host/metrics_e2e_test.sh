#!/usr/bin/env bash
# Metrics and match history with real processes: a headless host on three dfbhd-sim servers
# whose games last 4 s and whose end-of-game display the plug-in cuts to 5 s. An administrator
# skips one game. Then /metrics (with a token, and on the loopback MetricsListen) must agree with
# what the servers counted, pass promtool, and the history must hold one line per game ended.
# usage: metrics_e2e_test.sh ROTARYN_HOST ROTARYN_ADMIN DFBHD_SIM MEMTOOL
set -euo pipefail
host="$(realpath "$1")"
admin="$(realpath "$2")"
sim="$(realpath "$3")"
memtool="$(realpath "$4")"
source "$(dirname "$0")/../support/host_test_lib.sh"
host_test_root metrics
run_seconds=${ROTARYN_METRICS_TEST_SECONDS:-32}

"$host" --init-root "$root" >/dev/null || fail "--init-root"
{
  printf '[Host]\nSimulator = %s\n' "$sim"
  for p in 1 2 3; do
    mkdir -p "$root/games/p$p"
    printf '[Profile %s]\n%s\nGameFolder = games/p%s\nProfileFolder = p%s\n' "$p" \
      "$(server_lines --game-length 4 --display-length 20 --loading-seconds 1 --tick-ms 50)" "$p" "$p"
  done
} > "$root/host.ini"
printf '[DisplayTime]\r\np1=1\r\np2=1\r\np3=1\r\n' > "$root/Plugins/Maps.ini"
"$host" --root "$root" --add-admin mia --privileges "Read Metrics,Skip Maps" > "$root/add.out" \
  || fail "--add-admin"
tail -n 1 "$root/add.out" > "$root/token"
"$host" --root "$root" --add-admin bob --privileges "Skip Maps" | tail -n 1 > "$root/token-bob"
printf '[API]\nMetricsListen = 127.0.0.1:0\n' >> "$root/administrators.ini"

"$host" --headless --root "$root" --listen 127.0.0.1:0 > "$root/log" 2>&1 &
host_pid=$!
for p in 1 2 3; do wait_for "profile $p (p$p): loaded"; done
wait_for "remote API listening on"
wait_for "metrics listening on"
url="$(sed -n 's/.*remote API listening on \(http[^ ]*\).*/\1/p' "$root/log")"
open_url="$(sed -n 's/.*metrics listening on \(http[^ ]*\).*/\1/p' "$root/log")"
pids=()
for p in 1 2 3; do
  pids+=("$(sed -n "s/.*profile $p (p$p): loaded; its server runs as pid \([0-9]*\).*/\1/p" "$root/log")")
done

# A skip once profile 2's game runs.
for _ in $(seq 100); do
  "$memtool" --pid "${pids[1]}" status | grep -q "GameState *[23]" && break
  sleep 0.1
done
"$admin" --host "$url" --token-file "$root/token" skip 2 > /dev/null || fail "skip"
sleep "$run_seconds"

status="$(curl -s -o /dev/null -w '%{http_code}' -H "Authorization: Bearer $(cat "$root/token-bob")" "$url/metrics")"
[ "$status" = 403 ] || fail "/metrics without Read Metrics answered $status"
counts() { "$memtool" --pid "$1" status | sed -n 's/^Games ended \([0-9]*\) (displays cut \([0-9]*\)).*/\1 \2/p'; }
before=(); for pid in "${pids[@]}"; do before+=("$(counts "$pid")"); done
scrape="$(curl -sf -H "Authorization: Bearer $(cat "$root/token")" "$url/metrics")" \
  || fail "GET /metrics with a Read Metrics token"
after=(); for pid in "${pids[@]}"; do after+=("$(counts "$pid")"); done
curl -sf "$open_url" > "$root/open.prom" || fail "GET /metrics on MetricsListen"
grep -q '^rotaryn_games_ended_total' "$root/open.prom" || fail "MetricsListen serves no metrics"
printf '%s\n' "$scrape" > "$root/scrape.prom"
promtool check metrics < "$root/scrape.prom" || fail "promtool: $(promtool check metrics < "$root/scrape.prom" 2>&1)"

metric() { # NAME PROFILE [EXTRA LABEL]: the sample's value, 0 when absent
  grep "^$1{" "$root/scrape.prom" | grep "profile=\"$2\"" | grep -- "${3:-}" | awk '{ s += $2 } END { print s + 0 }'
}
for i in 0 1 2; do
  p=$((i + 1))
  read -r ended0 cut0 <<<"${before[$i]}"
  read -r ended1 cut1 <<<"${after[$i]}"
  [ "$ended1" -ge 2 ] || fail "profile $p: the server ended only $ended1 games"
  ended="$(metric rotaryn_games_ended_total "$p")"
  cuts="$(metric rotaryn_display_cuts_total "$p")"
  # The plug-in sees an end of game within its 2-second tick; the server counts a cut display
  # when the display is over, and counts the skip's short countdown as a cut too, which the
  # plug-in only reports when its tick saw that countdown still above the profile's display time.
  [ "$ended" -ge $((ended0 - 1)) ] && [ "$ended" -le "$ended1" ] \
    || fail "profile $p: $ended ends of game in the metrics, the server counted $ended0..$ended1"
  skipped=0
  [ "$p" = 2 ] && skipped=1
  [ "$cuts" -ge $((cut0 - skipped)) ] && [ "$cuts" -le $((cut1 + 1)) ] \
    || fail "profile $p: $cuts display cuts in the metrics, the server counted $cut0..$cut1"
  [ "$(metric rotaryn_server_up "$p")" = 1 ] || fail "profile $p: not up"
  [ "$(metric rotaryn_rotation_length "$p")" -ge 1 ] || fail "profile $p: no rotation length"
  grep -q "^rotaryn_game_state{.*profile=\"$p\"" "$root/scrape.prom" || fail "profile $p: no game state"
  lines="$(cat "$root"/logs/history/p$p/*.jsonl | wc -l)"
  [ "$lines" -ge $((ended0 - 1)) ] && [ "$lines" -le "$ended1" ] \
    || fail "profile $p: $lines history lines for $ended0..$ended1 games"
done
[ "$(metric rotaryn_game_commands_total 2 'kind="skip",origin="remote"')" = 1 ] \
  || fail "the skip was not counted"
grep -q '^rotaryn_api_requests_total{operation="SkipMapRem",status="200"} 1' "$root/scrape.prom" \
  || fail "the skip request was not counted"
grep -q '^rotaryn_api_refused_total{reason="privilege"} 1' "$root/scrape.prom" \
  || fail "the refused /metrics was not counted"
grep -q '^rotaryn_plugin_call_duration_seconds_count{operation="SkipMapRem"} 1' "$root/scrape.prom" \
  || fail "the plug-in call was not timed"

# The history: the skipped game names its administrator; the API and rotaryn-admin show it.
grep -h '"ended":"skipped"' "$root"/logs/history/p2/*.jsonl | grep -q '"admin":"mia"' \
  || fail "no skipped game by mia in $(cat "$root"/logs/history/p2/*.jsonl)"
today="$(date +%F)"
"$admin" --host "$url" --token-file "$root/token" history 2 --since "$today" > "$root/table" \
  || fail "rotaryn-admin history"
grep -q "skipped *mia" "$root/table" || fail "the table lacks the skip: $(cat "$root/table")"
status="$(curl -s -o /dev/null -w '%{http_code}' -H "Authorization: Bearer $(cat "$root/token")" \
  "$url/api/v1/profiles/2/history?from=2026-13-01")"
[ "$status" = 400 ] || fail "a bad date answered $status"
kill -TERM "$host_pid"
wait "$host_pid" || fail "the host did not stop cleanly"
host_pid=""
echo "metrics and history: passed"
