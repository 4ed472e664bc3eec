#!/usr/bin/env bash
# The main job: builds everything, then runs the ticker with the embedded portal — live on
# $DISPLAY, or headless under Xvfb writing screenshots into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export LANG=C.UTF-8 LC_ALL=C.UTF-8
exec python3 scripts/demo.py "$@"
