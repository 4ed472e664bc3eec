#!/usr/bin/env bash
# Builds everything into build/: the native tree (portable core, unit tests, portal) and, as
# part of it, the x86_64 and i686 Windows builds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
