#!/bin/sh
# Sets up everything, builds, and runs the demo store host on its sample store.
#   sh scripts/run.sh           headless (under xvfb-run when there is no display): writes a
#                               screenshot, prints where it is and the page's self-check
#   sh scripts/run.sh --window  the store in a window on the current display
# Further options go to the host, e.g. --api safe for the restricted JS API.
set -eu
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -DKZEMBA_BUILD_TESTS=OFF -DKZEMBA_BUILD_BENCH=OFF
cmake --build build -j"$(nproc)"

host=build/bin/zemba-storehost
if [ "${1:-}" = "--window" ]; then
    shift
    exec "$host" --log "$@"
fi

picture="$PWD/build/storehost.png"
if [ -n "${DISPLAY:-}" ]; then
    "$host" --screenshot "$picture" "$@"
else
    xvfb-run -a -s "-screen 0 1280x1024x24" "$host" --screenshot "$picture" "$@"
fi
