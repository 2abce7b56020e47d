#!/usr/bin/env bash
# The host reaches the plug-in only through its C interface: rotaryn-host holds no code of the
# plug-in (no symbol of its namespaces but the host's, the simulator's and the shared formats
# library's), and the library exports no symbol of ours but the twkRotaryn_ entry points.
set -euo pipefail
host=$1
plugin=$2
status=0
# Symbols of our own namespaces (functions, objects, their type information and guards), not the
# standard library's templates instantiated with our types.
ours='^((typeinfo|typeinfo name|vtable|guard variable) for )?rotaryn::'
# The formats library is shared by design: the facts both sides speak (text encoding, the
# exchange texts, game names, task dates, virtual time), as the admin tool and simulator do.
allowed="^((typeinfo|typeinfo name|vtable|guard variable) for )?rotaryn::(host|sim|formats)::"
names() { nm -C --defined-only "$@" | cut -d' ' -f3-; }
foreign=$(names "$host" | grep -E "$ours" | grep -v -E "$allowed" || true)
if [ -n "$foreign" ]; then
  echo "rotaryn-host holds plug-in code:"
  echo "$foreign" | head -20
  status=1
fi
exported=$(names -D "$plugin" | grep -E "$ours" || true)
if [ -n "$exported" ]; then
  echo "libtwkRotaryn.so exports more than its C interface:"
  echo "$exported" | head -20
  status=1
fi
for entry in twkRotaryn_CreatePlugin twkRotaryn_DestroyPlugin twkRotaryn_Call twkRotaryn_Automate \
  twkRotaryn_Describe twkRotaryn_Free; do
  nm -D --defined-only "$plugin" | grep -q " $entry\$" || { echo "missing entry point $entry"; status=1; }
done
[ $status -eq 0 ] && echo "boundary: 1 passed, 0 failed"
exit $status
