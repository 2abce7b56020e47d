#!/usr/bin/env bash
# The headless host killed (SIGKILL) at random moments while remote administrators change its
# rotation, tasks, settings and map files through rotaryn-admin, ROUNDS times (default 200).
# After every kill: every INI file under the root parses, every map-list file parses, every
# admin-log line and every match-history line (games ended by the administrator's skips) is whole; after the next start no temporary file of a cut-off write is left.
#
#   bash bench/crash_loop_bench.sh [BUILD_DIR] [ROUNDS]
#
# Prints the rounds, the kills that landed while a change was on its way, and one line
# "RATIO crash_loop <bad files per round> target 0".
# ROTARYN_BENCH_SHORT=1 runs 3 rounds: a check of the script, not a measurement.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
rounds="${2:-$([ -n "${ROTARYN_BENCH_SHORT:-}" ] && echo 3 || echo 200)}"
host="${build}/host/rotaryn-host"
admin="${build}/admin/rotaryn-admin"
simulator="${build}/sim/dfbhd-sim"
for exe in "${host}" "${admin}" "${simulator}"; do
  [ -x "${exe}" ] || { echo "crash_loop: ${exe} is not built" >&2; exit 2; }
done

root="$(mktemp -d "${TMPDIR:-/tmp}/rotaryn-crash-loop.XXXXXX")"
host_pid=""
changes_pid=""
cleanup() {
  [ -n "${changes_pid}" ] && kill -KILL "${changes_pid}" 2>/dev/null || true
  [ -n "${host_pid}" ] && kill -KILL "${host_pid}" 2>/dev/null || true
  rm -rf "${root}"
}
trap cleanup EXIT
fail() {
  echo "crash_loop: $*" >&2
  exit 1
}

"${host}" --init-root "${root}" >/dev/null
cat > "${root}/host.ini" <<INI
[Host]
Simulator = ${simulator}
[Profile 1]
Server = simulated --game-length 1 --display-length 4 --loading-seconds 0.5 --tick-ms 50
GameFolder = games/one
ProfileFolder = one
INI
"${host}" --root "${root}" --add-admin ann --privileges \
  "Change Map List,Skip Maps,Delete Maps,Add New Maps,Add New Tasks,Delete Tasks" \
  > "${root}/add-admin.out"
tail -n 1 "${root}/add-admin.out" > "${root}/token"
printf '0[-]0[-]DMM_02A.BMS\r\n1[-]0[-]TDMK_01B.BMS\r\n8[-]0[-]FBM_01A.BMS\r\n' > "${root}/a.mpl"
printf '1[-]0[-]TDMM_01A.BMS\r\n0[-]0[-]DMM_01E.BMS\r\n' > "${root}/b.mpl"
head -c 20000 /dev/urandom > "${root}/upload.bms"

start_host() {
  "${host}" --headless --root "${root}" --listen 127.0.0.1:0 > "${root}/log" 2>&1 &
  host_pid=$!
  # Up to a minute: a loaded machine starts slowly.
  for _ in $(seq 1200); do
    grep -q "remote API listening on" "${root}/log" 2>/dev/null &&
      grep -q "profile 1 (one): loaded" "${root}/log" 2>/dev/null && break
    sleep 0.05
  done
  grep -q "profile 1 (one): loaded" "${root}/log" || fail "the host did not start: $(cat "${root}/log")"
  url="$(sed -n 's/.*remote API listening on \(http[^ ]*\).*/\1/p' "${root}/log")"
}

# One administrator's stream of changes, until killed.
changes() {
  local a=("${admin}" --host "${url}" --token-file "${root}/token")
  local n=0
  while true; do
    n=$((n + 1))
    case $((n % 9)) in
      8) "${a[@]}" skip 1 ;;
      0) "${a[@]}" maps set 1 "${root}/a.mpl" --scores 7,45,12 ;;
      1) "${a[@]}" task add 1 "25/12/2026" "20:$((n % 60 / 10))$((n % 10)):00" a.mpl "Every Day" ;;
      2) "${a[@]}" maps set 1 "${root}/b.mpl" ;;
      3) "${a[@]}" autoload 1 $((n % 2)) ;;
      4) "${a[@]}" file upload 1 "${root}/upload.bms" ;;
      5) "${a[@]}" display-time 1 $((n % 9 + 1)) ;;
      6) "${a[@]}" task delete 1 "25/12/2026" "20:0$((n % 10)):00" ;;
      7) "${a[@]}" file delete 1 upload.bms ;;
    esac
  done >/dev/null 2>&1
}

# The plug-in's INI files (the host's own host.ini and administrators.ini are not written here).
# Every INI line is a section, a key=value, a comment or empty, and the file ends with CR LF.
ini_ok() {
  awk 'BEGIN { RS = "\n" } { sub(/\r$/, "") }
       /^\[.*\]$/ || /=/ || /^;/ || /^$/ { next } { bad = 1 } END { exit bad }' "$1" &&
    { [ ! -s "$1" ] || [ "$(tail -c 2 "$1" | od -An -c | tr -d ' ')" = '\r\n' ]; }
}
mpl_ok() {
  awk '{ sub(/\r$/, "") } /^$/ { next } !/^[0-9]+\[-\][01]\[-\][^[]+$/ { bad = 1 } END { exit bad }' "$1"
}
# Every history line is one JSON object of a game, and the file ends with its newline.
history_ok() {
  awk '!/^\{"profile":1,.*"ended":"[a-z ]+","admin":("[^"]*"|null)\}$/ { bad = 1 } END { exit bad }' "$1" &&
    { [ ! -s "$1" ] || [ "$(tail -c 1 "$1" | od -An -c | tr -d ' ')" = '\n' ]; }
}
log_ok() {
  awk '{ if ($0 !~ /^\[[0-9][0-9]:[0-9][0-9]:[0-9][0-9]\].*\r$/) bad = 1 } END { exit bad }' "$1" &&
    { [ ! -s "$1" ] || [ "$(tail -c 2 "$1" | od -An -c | tr -d ' ')" = '\r\n' ]; }
}

bad=0
landed=0
for round in $(seq "${rounds}"); do
  start_host
  # Temporaries of the previous round's cut-off writes are gone once the host has started.
  left="$(find "${root}" -name '.*.tmp[0-9]*.[0-9]*' -type f | wc -l)"
  [ "${left}" -eq 0 ] || { echo "round ${round}: ${left} temporary files left after the start"; bad=$((bad + 1)); }
  changes &
  changes_pid=$!
  # Up to 3 s: the monitor's ticks, 2 s apart, see the 1-second games end and write history.
  sleep "$((RANDOM % 3)).$((RANDOM % 9 + 1))$((RANDOM % 10))"
  kill -KILL "${host_pid}"
  wait "${host_pid}" 2>/dev/null || true
  host_pid=""
  kill -KILL "${changes_pid}" 2>/dev/null || true
  wait "${changes_pid}" 2>/dev/null || true
  changes_pid=""
  pkill -KILL -f "${admin} --host ${url}" 2>/dev/null || true
  find "${root}" -name '.*.tmp[0-9]*.[0-9]*' -type f | grep -q . && landed=$((landed + 1))
  # Servers end with their host; wait until the old one is gone before the next start.
  sleep 0.2
  while IFS= read -r -d '' file; do
    ini_ok "${file}" || { echo "round ${round}: ${file#"${root}"/} does not parse"; bad=$((bad + 1)); }
  done < <(find "${root}/Plugins" "${root}/profiles" "${root}/settings" -name '*.ini' -type f -print0)
  while IFS= read -r -d '' file; do
    mpl_ok "${file}" || { echo "round ${round}: ${file#"${root}"/} does not parse"; bad=$((bad + 1)); }
  done < <(find "${root}/profiles" -name '*.mpl' -type f -print0)
  while IFS= read -r -d '' file; do
    log_ok "${file}" || { echo "round ${round}: ${file#"${root}"/} has a half-written line"; bad=$((bad + 1)); }
  done < <(find "${root}" -path '*adminlogs*' -name '*.txt' -type f -print0)
  while IFS= read -r -d '' file; do
    history_ok "${file}" || { echo "round ${round}: ${file#"${root}"/} has a half-written line"; bad=$((bad + 1)); }
  done < <(find "${root}/logs" -path '*history*' -name '*.jsonl' -type f -print0 2>/dev/null)
done
start_host
left="$(find "${root}" -name '.*.tmp[0-9]*.[0-9]*' -type f | wc -l)"
[ "${left}" -eq 0 ] || { echo "after the last start: ${left} temporary files left"; bad=$((bad + 1)); }
admin_lines="$(cat "${root}"/profiles/one/adminlogs/*.txt 2>/dev/null | wc -l)"
history_lines="$(find "${root}/logs" -path '*history*' -name '*.jsonl' -type f -exec cat {} + 2>/dev/null | wc -l || true)"
echo "crash_loop: ${rounds} kills, ${landed} with a write cut off (temporary left), ${admin_lines} admin-log lines, ${history_lines} history lines, ${bad} bad files"
echo "RATIO crash_loop $(awk -v b="${bad}" -v r="${rounds}" 'BEGIN { printf "%.3f", b / r }') target 0"
[ "${bad}" -eq 0 ]
