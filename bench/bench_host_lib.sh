# Shared by the scripted benchmarks that run a headless host over simulated profiles. Sourced;
# bash. Sets `host`, `simulator` and `host_pid`.

# bench_programs NAME BUILD_DIR: the host and the simulator of the build; exits 2 when one is
# not built. NAME begins the script's messages.
bench_programs() {
  bench_name=$1
  host="$2/host/rotaryn-host"
  simulator="$2/sim/dfbhd-sim"
  host_pid=""
  local exe
  for exe in "${host}" "${simulator}"; do
    [ -x "${exe}" ] || { echo "${bench_name}: ${exe} is not built" >&2; exit 2; }
  done
}

# bench_root PREFIX: a new host root in `root` (under TMPDIR), made by the host itself, that the
# script's end removes with the host still running on it.
bench_root() {
  root="$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")"
  trap 'bench_stop_host; rm -rf "${root}"' EXIT
  "${host}" --init-root "${root}" >/dev/null
}

# bench_stop_host: stops the host started last, when it still runs.
bench_stop_host() {
  if [ -n "${host_pid}" ] && kill -0 "${host_pid}" 2>/dev/null; then
    kill -TERM "${host_pid}" 2>/dev/null || true
    wait "${host_pid}" 2>/dev/null || true
  fi
  host_pid=""
}

# bench_start_host ROOT PROFILES [OPTION...]: starts the headless host on ROOT (its output in
# ROOT/host.log) and waits, at most 60 s, until PROFILES profiles are loaded; exits 1 if not.
bench_start_host() {
  local root=$1 profiles=$2
  shift 2
  bench_launch_host "${root}" "$@"
  bench_wait_host "${root}" "${profiles}" "${host_pid}"
}

# bench_launch_host ROOT [OPTION...]: starts the headless host on ROOT, its PID in `host_pid`,
# without waiting for it.
bench_launch_host() {
  local root=$1
  shift
  "${host}" --headless --root "${root}" "$@" >"${root}/host.log" 2>&1 &
  host_pid=$!
}

# bench_wait_host ROOT PROFILES PID: waits, at most 60 s, until the host PID on ROOT has loaded
# PROFILES profiles; exits 1 if it does not.
bench_wait_host() {
  local root=$1 profiles=$2 pid=$3 loaded=0 waited
  for ((waited = 0; waited < 600; waited++)); do
    loaded="$(grep -c ": loaded;" "${root}/host.log" || true)"
    [ "${loaded}" -ge "${profiles}" ] && return 0
    kill -0 "${pid}" 2>/dev/null || break
    sleep 0.1
  done
  tail -20 "${root}/host.log" >&2
  echo "${bench_name}: ${loaded} of ${profiles} profiles were loaded" >&2
  exit 1
}

# bench_cpu_ns [PID]: the host's (PID's, default the last started host's) nanoseconds on a CPU,
# from the scheduler's own count (exact, where the clock ticks of /proc/PID/stat only sample),
# summed over its threads.
bench_cpu_ns() {
  cat "/proc/${1:-${host_pid}}"/task/*/schedstat | awk '{ sum += $1 } END { printf "%.0f\n", sum }'
}
