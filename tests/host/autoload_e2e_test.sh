#!/usr/bin/env bash
# Settings survive a restart, with real processes: a headless host on a dfbhd-sim gets a new
# rotation and limits from rotaryn-admin and autoload turned on, then quits; a fresh server and
# a fresh host start, and the server ends up with the restored rotation and configured limits.
# usage: autoload_e2e_test.sh ROTARYN_HOST ROTARYN_ADMIN DFBHD_SIM MEMTOOL
set -euo pipefail
host="$1"
admin="$2"
sim="$3"
memtool="$4"
source "$(dirname "$0")/../support/host_test_lib.sh"
host_test_root autoload
start_host() {
  "$host" --headless --root "$root" --listen 127.0.0.1:0 > "$root/log" 2>&1 &
  host_pid=$!
  wait_for "profile 1 (one): loaded; its server runs as pid"
  wait_for "remote API listening on"
  url="$(sed -n 's/.*remote API listening on \(http[^ ]*\).*/\1/p' "$root/log")"
  server="$(server_pid 1 one)"
}

one_profile_root
"$host" --root "$root" --add-admin ann --privileges "Change Map List" > "$root/add-admin.out" \
  || fail "--add-admin"
tail -n 1 "$root/add-admin.out" > "$root/token"
printf '0[-]0[-]DMM_02A.BMS\r\n1[-]0[-]TDMK_01B.BMS\r\n8[-]0[-]FBM_01A.BMS\r\n' > "$root/evening.mpl"

start_host
run_admin() { "$admin" --host "$url" --token-file "$root/token" "$@"; }
run_admin maps set 1 "$root/evening.mpl" --scores 7,45,12 || fail "maps set"
run_admin autoload 1 1 || fail "autoload"
"$memtool" --pid "$server" rotation | grep -q "TDMK_01B.BMS" || fail "the first server did not get it"
first_server="$server"
stop_host
kill -0 "$first_server" 2>/dev/null && fail "the first server still runs"

start_host
[ "$server" != "$first_server" ] || fail "no fresh server"
# The autoload ran at load: the fresh server holds the rotation and limits set before.
rotation="$("$memtool" --pid "$server" rotation)"
for file in DMM_02A.BMS TDMK_01B.BMS FBM_01A.BMS; do
  grep -q "$file" <<<"$rotation" || fail "the restored rotation lacks $file: $rotation"
done
[ "$(grep -c 'BMS' <<<"$rotation")" -eq 3 ] || fail "the restored rotation is not 3 maps: $rotation"
for field in "CKothLimit 7" "CMaxKills 45" "CGameScore 12"; do
  set -- $field
  value="$("$memtool" --pid "$server" peek "$1")"
  grep -qw "$2" <<<"$value" || fail "$1 is '$value', not $2"
done
grep -q "^\[" "$root/log" && fail "a message box appeared"
stop_host
echo "autoload across restarts: passed"
