#!/bin/sh
# The main job on a fresh machine: installs what is missing, builds kadu-print
# (and the libraries it loads) and prints through the driver. Arguments go to
# kadu-print; without any, two blank pages of the desktop example model are
# printed into ./kadu-job.prn.
set -e
ROOT=$(cd "$(dirname "$0")/.." && pwd)
"$ROOT/scripts/deps.sh"
cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build" -j "$(nproc)" --target kadu-print
if [ $# -eq 0 ]; then
  set -- --pages 2 -o kadu-job.prn
fi
exec "$ROOT/build/tools/kadu-print/kadu-print" "$@"
