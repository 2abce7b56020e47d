# Sourced by the shell tests that run rotaryn-host on a root of their own (after
# `set -euo pipefail`). `host_test_root NAME` makes $root, the host's output going to $log
# ($root/log unless set before); at exit the host of $host_pid is stopped and $root, $log and
# ${tokens:-} are removed. `fail` prints the end of $log and stops; `wait_for PATTERN` waits up
# to 30 s for a line of $log, `wait_until PATTERN COMMAND...` for the command's output;
# `server_pid INDEX FOLDER` is the pid $log names for a profile's server; `stop_host` stops the
# host with SIGTERM. Servers as server_lines.sh says.
source "$(dirname "${BASH_SOURCE[0]}")/server_lines.sh"
host_test_root() {
  root="$(mktemp -d "/tmp/rotaryn-$1-XXXXXX")"
  log="${log:-$root/log}"
  host_pid=""
  trap 'host_test_cleanup' EXIT
}
host_test_cleanup() {
  [ -n "${host_pid:-}" ] && kill -TERM "$host_pid" 2>/dev/null && wait "$host_pid" 2>/dev/null
  rm -rf "$root" "$log" "${tokens:-}"
}
fail() {
  echo "FAILED: $*" >&2
  [ -f "$log" ] && sed 's/^/  | /' "$log" | tail -60 >&2
  exit 1
}
wait_until() {
  local pattern="$1"
  shift
  for _ in $(seq 300); do
    "$@" 2>/dev/null | grep -q -- "$pattern" && return 0
    sleep 0.1
  done
  fail "'$*' never showed '$pattern'"
}
wait_for() {
  for _ in $(seq 300); do
    grep -q -- "$1" "$log" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "no line matching '$1'"
}
server_pid() {
  sed -n "s/.*profile $1 ($2): loaded; its server runs as pid \([0-9]*\).*/\1/p" "$log"
}
stop_host() {
  kill -TERM "$host_pid"
  wait "$host_pid" || fail "the host did not stop cleanly"
  host_pid=""
}
# `one_profile_root`: lays out $root with `$host --init-root` and a host.ini of one profile
# ("one", games/one) on a dfbhd-sim ($sim) whose games run until ended.
one_profile_root() {
  "$host" --init-root "$root" >/dev/null || fail "--init-root"
  mkdir -p "$root/games/one"
  cat > "$root/host.ini" <<INI
[Host]
Simulator = $sim
[Profile 1]
$(server_lines --game-length 0 --tick-ms 50)
GameFolder = games/one
ProfileFolder = one
INI
}
