#!/usr/bin/env bash
# The host in service: the secrets' file modes; one host per root; SIGHUP takes a new
# administrator, SIGTERM stops as quitting does (headless and window); --init-root on a full disk
# keeps the plug-in there; a plug-in cut short is refused with a message.
# usage: host_service_test.sh ROTARYN_HOST DFBHD_SIM
set -euo pipefail
host="$(realpath "$1")"
sim="$(realpath "$2")"
source "$(dirname "$0")/../support/host_test_lib.sh"
host_test_root service
one_profile_root
umask 022
admins="$root/administrators.ini"

# --add-admin leaves the file owner-only, whatever a cut-off run left beside it.
echo "leftover" > "$admins.new"
"$host" --root "$root" --add-admin ann --privileges "Skip Maps" > "$root/ann" || fail "add ann"
[ "$(stat -c %a "$admins")" = 600 ] || fail "administrators.ini is $(stat -c %a "$admins")"
[ -e "$admins.new" ] && fail "the leftover stayed"

# A secret that group or others can write is refused; one they can read is warned about.
refused() {  # PATTERN: the host refuses to start, saying so
  set +e
  "$host" --headless --root "$root" --listen 127.0.0.1:0 > "$root/log" 2>&1
  code=$?
  set -e
  [ "$code" -eq 3 ] || fail "exit $code, not 3, for: $1"
  grep -q -- "$1" "$root/log" || fail "no line matching '$1'"
}
chmod 664 "$admins"
refused "administrators.ini can be written by group or others (mode 0664)"
chmod 644 "$admins"
cp "$admins" "$root/admins.kept"
mkdir "$root/tls"
touch "$root/tls/cert.pem" "$root/tls/key.pem"
chmod 666 "$root/tls/key.pem"
sed -i 's|^\[API\]|[API]\nCertificate = tls/cert.pem\nKey = tls/key.pem|' "$admins"
refused "the TLS key $root/tls/key.pem can be written by group or others (mode 0666)"
cp "$root/admins.kept" "$admins"

"$host" --headless --root "$root" --listen 127.0.0.1:0 > "$root/log" 2>&1 &
host_pid=$!
wait_for "warning: the administrators file $admins can be read by group or others (mode 0644)"
wait_for "profile 1 (one): loaded; its server runs as pid"
server="$(server_pid 1 one)"
url="$(sed -n 's/.*listening on \(http:[^ ]*\).*/\1/p' "$root/log")"

# A second host on the root refuses and starts nothing.
set +e
"$host" --headless --root "$root" --api-off > "$root/second" 2>&1
code=$?
set -e
[ "$code" -eq 2 ] || fail "the second host exited with $code, not 2"
grep -q "in use by another rotaryn-host (pid $host_pid)" "$root/second" ||
  fail "the second host did not name the first: $(cat "$root/second")"
grep -q "loaded" "$root/second" && fail "the second host loaded something"

# --add-admin beside the running host; the host takes the new administrator on SIGHUP.
"$host" --root "$root" --add-admin bob --privileges "Skip Maps" > "$root/bob" || fail "add bob"
grep -q "the host running on this root (pid $host_pid) takes the change on SIGHUP" "$root/bob" ||
  fail "--add-admin did not point at SIGHUP: $(cat "$root/bob")"
profiles() { curl -s --max-time 20 -o /dev/null -w '%{http_code}' -H "Authorization: Bearer $1" "$url/api/v1/profiles"; }
[ "$(profiles "$(tail -1 "$root/bob")")" = 401 ] || fail "bob was taken before SIGHUP"
kill -HUP "$host_pid"
wait_for "received SIGHUP; administrators.ini re-read: 2 administrators"
[ "$(profiles "$(tail -1 "$root/bob")")" = 200 ] || fail "bob was not taken on SIGHUP"

stop_with() {  # SIGNAL: the host stops as quitting does, exit 0
  kill "-$1" "$host_pid"
  # A host that does not stop is killed after 30 s, so the test says so instead of hanging.
  (sleep 30 && kill -9 "$host_pid" 2> /dev/null) &
  local watchdog=$!
  set +e
  wait "$host_pid"
  code=$?
  set -e
  kill "$watchdog" 2> /dev/null || true
  host_pid=""
  [ "$code" -eq 0 ] || fail "exit $code after SIG$1"
  for line in "received SIG$1; stopping" "plug-in unloaded (UnLoadInterface)" \
    "servers stopped (1)"; do
    grep -qF "$line" "$root/log" || fail "no '$line' after SIG$1"
  done
  [ -s "$root/profiles/one/settings/lastknownsettings.ini" ] || fail "no map settings saved"
  sleep 0.2
  kill -0 "$server" 2> /dev/null && fail "the server $server outlived the host" || true
}
rm -f "$root/profiles/one/settings/lastknownsettings.ini"
stop_with TERM
grep -qF "profile 1 (one): map settings saved" "$root/log" || fail "no word of the settings saved"

QT_QPA_PLATFORM=offscreen "$host" --window --root "$root" --api-off > "$root/log" 2>&1 &
host_pid=$!
wait_for "profile 1 (one): loaded; its server runs as pid"
server="$(server_pid 1 one)"
rm "$root/profiles/one/settings/lastknownsettings.ini"
stop_with INT

# --init-root on a full disk: the plug-in is written beside and renamed, so the one there stays.
# As root on a tmpfs of its own; otherwise a file size limit fails the write the same way.
plugin="$root/Plugins/libtwkRotaryn.so"
full="$root/full"
mkdir "$full"
cp "$plugin" "$root/plugin.old"
install_on_full_disk() {
  if [ "$1" = tmpfs ]; then
    mount -t tmpfs -o size=$(($(stat -c %s "$plugin") * 3 / 2)) tmpfs "$full" || return 4
  fi
  "$host" --init-root "$full" > /dev/null
  cp "$root/plugin.old" "$full/Plugins/libtwkRotaryn.so"
  if [ "$1" = tmpfs ]; then
    mountpoint -q "$full" && { cat /dev/zero > "$full/filler" 2> /dev/null || true; }
  else
    trap '' XFSZ
    ulimit -f $(($(stat -c %s "$plugin") / 2048))
  fi
  "$host" --init-root "$full" > "$root/full.out" 2>&1 && return 1
  cmp -s "$root/plugin.old" "$full/Plugins/libtwkRotaryn.so" || return 2
  [ "$(ls -A "$full/Plugins")" = libtwkRotaryn.so ] || return 3
}
export -f install_on_full_disk
export host root full plugin
if unshare -m true 2> /dev/null; then how=tmpfs; else how=fsize; fi
unshare_or_not=(bash -c "install_on_full_disk $how")
[ "$how" = tmpfs ] && unshare_or_not=(unshare -m "${unshare_or_not[@]}")
"${unshare_or_not[@]}" || fail "--init-root on a full disk ($how): step $? failed: $(cat "$root/full.out")"
grep -q "cannot install the plug-in .* as $full/Plugins/libtwkRotaryn.so: .*(the plug-in there is kept)" \
  "$root/full.out" || fail "the failed install did not say why: $(cat "$root/full.out")"

# A plug-in cut short is refused by name, not loaded into a SIGBUS.
head -c $(($(stat -c %s "$plugin") / 2)) "$root/plugin.old" > "$plugin"
refused "the plug-in $plugin is not a complete shared library (it is cut short at"
echo "host service: PASSED"
