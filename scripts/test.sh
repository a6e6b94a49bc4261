#!/usr/bin/env bash
# Builds everything and runs every test: first with GCC, then once more with
# clang under AddressSanitizer and UndefinedBehaviorSanitizer, where any
# report (leaks included) fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh

jobs=$(nproc)
media_cache=$root/build/test-media

echo "== build and test (gcc)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVAR_TEST_MEDIA_DIR="$media_cache"
cmake --build build -j"$jobs"
(cd build && ctest -j"$jobs" --output-on-failure)

echo "== build and test (clang, address and undefined-behaviour sanitizers)"
CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOLVAR_SANITIZE=address,undefined -DTOLVAR_TEST_MEDIA_DIR="$media_cache"
cmake --build build-asan -j"$jobs"
(
  cd build-asan
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
  ctest -j"$jobs" --output-on-failure
)
echo "== all tests passed"
