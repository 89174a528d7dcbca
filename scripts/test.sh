#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer and warnings as errors, checks the formatting and runs the whole test
# suite.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build-test
./scripts/setup.sh "$build_dir" -DCMAKE_BUILD_TYPE=Debug -DRAVENDOCK_WERROR=ON \
  -DRAVENDOCK_SANITIZE=address,undefined

./scripts/check_format.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build_dir" --output-on-failure -j2 --timeout 600

# The thread-heavy pieces that need no window — the device library, the simulator, the worker
# engine and the player — once more under ThreadSanitizer.
tsan_dir=build-tsan
tsan_tests=(test_netsdk test_sim test_batch test_player)
cmake -S . -B "$tsan_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRAVENDOCK_WERROR=ON \
  -DRAVENDOCK_SANITIZE=thread >/dev/null
cmake --build "$tsan_dir" --target "${tsan_tests[@]}"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
for test in "${tsan_tests[@]}"; do
  "$tsan_dir/bin/$test" --gtest_brief=1
done
