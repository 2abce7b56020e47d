# Shared by the API's end-to-end tests: a host root with administrators, a headless host on
# simulated servers serving the API on a free loopback port, and helpers (with those of
# host_test_lib.sh). Needs: host, sim, memtool set; defines root, url, host_pid, sim1, sim2.
log="$(mktemp /tmp/rotaryn-api-log-XXXXXX)"
source "$(dirname "${BASH_SOURCE[0]}")/../support/host_test_lib.sh"
host_test_root api
tokens="$root.tokens"
mkdir -p "$tokens"
launch=(env)  # what the host is started under
add_admin() {  # NAME PRIVILEGES [PROFILES] -> the token file $tokens/NAME
  local extra=()
  [ -n "${3:-}" ] && extra=(--profiles "$3")
  "$host" --root "$root" --add-admin "$1" --privileges "$2" "${extra[@]}" > "$tokens/out" ||
    fail "--add-admin $1"
  tail -1 "$tokens/out" > "$tokens/$1"
}
token_of() { cat "$tokens/$1"; }
api_setting() {  # "KEY = VALUE": into administrators.ini's [API] section
  sed -i "/^\[API\]/a $1" "$root/administrators.ini"
}
start_host() {  # extra options of profile 1's server; $profile2_args those of profile 2's
  "$host" --init-root "$root" > /dev/null || fail "--init-root"
  mkdir -p "$root/games/one" "$root/games/two"
  cat > "$root/host.ini" <<INI
[Host]
Simulator = $sim
[Profile 1]
$(server_lines --game-length 0 --tick-ms 20 --speed 8 --loading-seconds 0.5 "$@")
GameFolder = games/one
ProfileFolder = one
[Profile 2]
$(server_lines --game-length 0 --tick-ms 20 ${profile2_args:-})
GameFolder = games/two
ProfileFolder = two
INI
  "${launch[@]}" "$host" --headless --root "$root" --listen 127.0.0.1:0 > "$log" 2>&1 &
  host_pid=$!
  wait_for "remote API listening on http://127.0.0.1:"
  wait_for "profile 1 (one): loaded; its server runs as pid"
  wait_for "profile 2 (two): loaded; its server runs as pid"
  port="$(sed -n 's/.*listening on http:\/\/127.0.0.1:\([0-9]*\).*/\1/p' "$log")"
  url="http://127.0.0.1:$port"
  sim1="$(server_pid 1 one)"
  sim2="$(server_pid 2 two)"
}
audit_lines() { { cat "$root"/logs/audit/*.jsonl 2>/dev/null || true; } | wc -l; }
admin_log() { cat "$root"/profiles/one/adminlogs/*.txt 2>/dev/null | tr -d "\r"; }
