#!/bin/sh
# Sets up everything, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and runs the tests.
set -eu
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build-test -DKZEMBA_SANITIZE=ON -DKZEMBA_WERROR=ON
cmake --build build-test -j"$(nproc)"
cd build-test
ctest --output-on-failure -j"$(nproc)" -LE bench
