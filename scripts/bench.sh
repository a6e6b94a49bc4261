#!/usr/bin/env bash
# Builds and runs the benchmarks, which compare the program with the ffmpeg
# tools on the same input. A report, never a pass or fail.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
export TOLVAR_BUILD_DIR=$PWD/build TOLVAR_SOURCE_DIR=$PWD
for bench in build/bench/*_bench; do
  echo "== $bench"
  "$bench"
done
