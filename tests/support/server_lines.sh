# Sourced by the end-to-end tests that run a host on dfbhd-sim servers, after $sim is set to
# dfbhd-sim or dfbhd-sim.exe. `server_lines OPTIONS` prints the host.ini lines of a profile whose
# server is dfbhd-sim with these options: a simulated server, or dfbhd-sim.exe under Wine
# started as the command an operator writes for a real server (wine64 Z:\...\server.exe ARGS).
case "${sim:-}" in *.exe) source "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh" ;; esac
server_lines() {
  case "$sim" in
    *.exe)
      local type=DFBHD
      case " $* " in *" --build affiliate "*) type=DFBHD_AFF ;; esac
      printf 'Server = command %s %s %s\nServerType = %s\nStartupSeconds = 3\n' \
        "$wine_loader" "$(windows_path "$sim")" "$*" "$type"
      ;;
    *) printf 'Server = simulated %s\n' "$*" ;;
  esac
}
