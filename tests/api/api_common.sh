# Shared by the API's end-to-end tests: a host root with administrators, a headless host on
# simulated servers serving the API on a free loopback port, and helpers.
# Needs: host, sim, memtool set; defines root, url, host_pid, and the functions below. Servers
# as server_lines.sh says.
source "$(dirname "${BASH_SOURCE[0]}")/../support/server_lines.sh"
root="$(mktemp -d /tmp/rotaryn-api-XXXXXX)"
log="$root.log"
tokens="$root.tokens"
mkdir -p "$tokens"
host_pid=""
launch=(env)  # what the host is started under
cleanup() {
  [ -n "$host_pid" ] && kill -TERM "$host_pid" 2>/dev/null && wait "$host_pid" 2>/dev/null
  rm -rf "$root" "$log" "$tokens"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  [ -f "$log" ] && sed 's/^/  | /' "$log" | tail -40 >&2
  exit 1
}
# Waits up to 30 s for a line matching the pattern in the host's output.
wait_for() {
  for _ in $(seq 300); do
    grep -q -- "$1" "$log" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "no line matching '$1'"
}
# Waits up to 30 s for a command's output to match the pattern.
wait_until() {
  local pattern="$1"
  shift
  for _ in $(seq 300); do
    "$@" 2>/dev/null | grep -q -- "$pattern" && return 0
    sleep 0.1
  done
  fail "'$*' never showed '$pattern'"
}
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
  sim1="$(sed -n 's/.*profile 1 (one): loaded; its server runs as pid \([0-9]*\).*/\1/p' "$log")"
  sim2="$(sed -n 's/.*profile 2 (two): loaded; its server runs as pid \([0-9]*\).*/\1/p' "$log")"
}
audit_lines() { { cat "$root"/logs/audit/*.jsonl 2>/dev/null || true; } | wc -l; }
admin_log() { cat "$root"/profiles/one/adminlogs/*.txt 2>/dev/null | tr -d "\r"; }
