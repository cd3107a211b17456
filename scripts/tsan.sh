#!/bin/sh
# Builds the language monitor's tests with the thread sanitizer (clang) in
# build-tsan/ and runs its concurrency tests there: two ports opened,
# printed on and closed at once, many times, with the monitor's status
# threads running. A data race or a use of a freed port record fails the run.
set -e
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKADU_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build build-tsan -j "${JOBS:-2}" --target langmon_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ./build-tsan/tests/langmon/langmon_tests --gtest_filter='ConcurrencyTest.*:MonitorTest.*' --gtest_repeat="${REPEAT:-3}"
