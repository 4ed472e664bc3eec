#!/usr/bin/env bash
# Builds everything and runs every test (native unit tests, fuzzing, the Wine tests and the
# end-to-end scenarios) through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=UTC
ctest --test-dir build --output-on-failure -j 2 "$@"
