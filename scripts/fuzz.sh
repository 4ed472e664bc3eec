#!/usr/bin/env bash
# Runs every fuzz target of the project long, one after another at the lowest priority: the
# commands CTest runs for a few seconds (every test named fuzz_*), each given a number of
# executions instead, with a time limit per target. Logs go to build/fuzz-logs/.
#   scripts/fuzz.sh [executions, default 10000000] [seconds per target, default 14400]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10000000} seconds=${2:-14400}
cmake --build build >/dev/null
mkdir -p build/fuzz-logs
# Each test as its name and command, fields split by \001; a target not built has no command.
tests='import json, sys; [print("\1".join([t["name"], *t["command"]])) for t in json.load(sys.stdin)["tests"] if "command" in t]'
ctest --test-dir build -R '^fuzz_' --show-only=json-v1 | python3 -c "$tests" |
    while IFS=$'\001' read -r -a cmd; do
        name=${cmd[0]} log=build/fuzz-logs/${cmd[0]}.log status=0
        nice -n 19 "${cmd[@]:1}" -runs="$runs" -max_total_time="$seconds" \
            -artifact_prefix=build/fuzz-logs/"$name"- >"$log" 2>&1 || status=$?
        echo "$name: $(grep -o 'number_of_executed_units: [0-9]*' "$log" | tail -1)," \
            "$( ((status)) && echo "FINDING, see $log" || echo "no finding")"
    done
