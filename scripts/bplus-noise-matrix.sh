#!/usr/bin/env bash
# B Plus through a noisy line, 1 MiB each way per seed, at 0.01%/0.001% and
# 0.03%/0.003% (changed/lost bytes), with the real time-outs on the
# in-memory line. Too long for CTest; run it by hand or in a nightly job.
#   scripts/bplus-noise-matrix.sh [build-dir] [seeds]
set -euo pipefail
build="${1:-build}"
seeds="${2:-20}"
binary="$build/bin/kiro_bplus_tests"
if [[ ! -x "$binary" ]]; then
    echo "bplus-noise-matrix: $binary not built (cmake --build $build --target kiro_bplus_tests)" >&2
    exit 2
fi
KIRO_NOISE_SEEDS="$seeds" "$binary" --gtest_also_run_disabled_tests \
    --gtest_filter='BPlusLineFaults.DISABLED_NoiseMatrix' --gtest_brief=1
