#!/usr/bin/env bash
# Builds everything and runs every test: first with GCC, then once more with
# clang under AddressSanitizer and UndefinedBehaviorSanitizer, where any
# report (leaks included) fails the run. The same clang build then runs the
# fuzz targets for a few minutes, and a ThreadSanitizer build runs the tests
# of the code that starts threads; any report of either fails the run too.
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
# The fuzz targets share this build: they add a few executables, where a
# build of their own would compile the libraries under test once more.
CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOLVAR_SANITIZE=address,undefined -DTOLVAR_FUZZ=ON -DTOLVAR_TEST_MEDIA_DIR="$media_cache"
cmake --build build-asan -j"$jobs"
(
  cd build-asan
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
  ctest -j"$jobs" --output-on-failure -LE fuzz
  echo "== fuzzing (libFuzzer, same sanitizers): stored inputs, then a bounded run of each target"
  ctest -j"$jobs" --output-on-failure -L fuzz
)

echo "== build and test (clang, thread sanitizer: the tests of the code that starts threads)"
thread_tests=(convert_runner_test media_transcoder_test convert_run_test cli_rules_test cli_program_test)
CC=clang CXX=clang++ cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOLVAR_SANITIZE=thread -DTOLVAR_TEST_MEDIA_DIR="$media_cache"
cmake --build build-tsan -j"$jobs" --target "${thread_tests[@]}"
(
  cd build-tsan
  # Reports go to files, so that one from a child process (the converter,
  # tolvar-extract) fails the run even where its test would pass.
  reports=$PWD/tsan-reports
  rm -rf "$reports"
  mkdir "$reports"
  export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/sanitizers/tsan.supp:log_path=$reports/report
  status=0
  ctest -j"$jobs" --output-on-failure -R "^($(IFS='|'; echo "${thread_tests[*]}"))\$" || status=$?
  if [ -n "$(ls -A "$reports")" ]; then
    cat "$reports"/*
    echo "ThreadSanitizer reported the above"
    exit 1
  fi
  exit "$status"
)
echo "== all tests passed"
