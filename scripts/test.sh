#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer and warnings as errors, checks the formatting and runs the whole test
# suite, then the thread-heavy tests once more under ThreadSanitizer. Prints how long each phase
# took.
#   scripts/test.sh           everything (what CI runs)
#   scripts/test.sh --quick   the ASan build of the unit tests and those tests only: the ones that
#                             need neither the camera simulator nor a package build
set -euo pipefail
cd "$(dirname "$0")/.."

quick=false
case "${1:-}" in
  "") ;;
  --quick) quick=true ;;
  *) echo "usage: scripts/test.sh [--quick]" >&2; exit 2 ;;
esac

phase_start=$SECONDS
phase_done() {
  echo "test.sh: $1 took $((SECONDS - phase_start)) s"
  phase_start=$SECONDS
}

build_dir=build-test
unit_tests=(test_platform test_text test_sdk test_ui test_config test_pages test_onvif test_player)
if $quick; then
  export RAVENDOCK_BUILD_TARGETS="${unit_tests[*]}"
fi
./scripts/setup.sh "$build_dir" -DCMAKE_BUILD_TYPE=Debug -DRAVENDOCK_WERROR=ON \
  -DRAVENDOCK_SANITIZE=address,undefined
unset RAVENDOCK_BUILD_TARGETS
phase_done "set-up and the ASan/UBSan build"

./scripts/check_format.sh
phase_done "the format check"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
if $quick; then
  for test in "${unit_tests[@]}"; do
    "$build_dir/bin/$test" --gtest_brief=1
  done
  phase_done "the unit tests"
  exit 0
fi
ctest --test-dir "$build_dir" --output-on-failure -j2 --timeout 600
phase_done "the whole suite under ASan/UBSan"

# The thread-heavy pieces that need no window — the device library, the simulator, the worker
# engine and the player — once more under ThreadSanitizer.
tsan_dir=build-tsan
tsan_tests=(test_netsdk test_sim test_batch test_player)
cmake -S . -B "$tsan_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRAVENDOCK_WERROR=ON \
  -DRAVENDOCK_SANITIZE=thread >/dev/null
cmake --build "$tsan_dir" --target "${tsan_tests[@]}"
phase_done "the ThreadSanitizer build"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp"
for test in "${tsan_tests[@]}"; do
  "$tsan_dir/bin/$test" --gtest_brief=1
done
phase_done "the ThreadSanitizer tests"
