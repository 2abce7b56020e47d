#!/usr/bin/env bash
# rotaryn-admin uploads a 10 MB map file (a request body of about 36 MB) with a peak resident
# set of at most 4 times the file's size, and the file arrives whole.
# usage: upload_memory_test.sh ROTARYN_HOST ROTARYN_ADMIN DFBHD_SIM ROTARYN_MEMTOOL PEAK_RSS
set -euo pipefail
host="$(realpath "$1")"
admin="$(realpath "$2")"
sim="$(realpath "$3")"
memtool="$(realpath "$4")"
peak_rss="$(realpath "$5")"
source "$(dirname "$0")/api_common.sh"

add_admin ann "Add New Maps"
sed -i 's/^; BodyLimit = .*/BodyLimit = 67108864/' "$root/administrators.ini"
grep -q '^BodyLimit = 67108864' "$root/administrators.ini" || fail "the body limit was not raised"
start_host

size=$((10 * 1024 * 1024))
head -c "$size" /dev/urandom > "$root/big.bms"
ROTARYN_TOKEN="$(token_of ann)" "$peak_rss" "$root/peak" \
  "$admin" --host "$url" file upload 1 "$root/big.bms" > "$root/out" 2>&1 ||
  fail "the upload failed: $(cat "$root/out")"
cmp -s "$root/big.bms" "$root/games/one/big.bms" || fail "the uploaded file differs"
peak_kb="$(cat "$root/peak")"
limit_kb=$((4 * size / 1024))
[ "$peak_kb" -le "$limit_kb" ] || fail "peak RSS ${peak_kb} kB for a $((size / 1024)) kB file (limit ${limit_kb} kB)"
echo "passed: peak RSS ${peak_kb} kB uploading a $((size / 1024)) kB file (limit ${limit_kb} kB)"
