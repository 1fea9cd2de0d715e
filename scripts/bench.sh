#!/usr/bin/env bash
# Runs every benchmark program built into BUILD/bin/bench-*.
set -euo pipefail
build=${1:-build-bench}
shopt -s nullglob
ran=0
for b in "$build"/bin/bench-*; do
  echo "== $(basename "$b")"
  "$b"
  ran=1
done
[ $ran -eq 1 ] || echo "no benchmarks built yet"
