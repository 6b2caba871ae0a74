#!/usr/bin/env bash
# Builds Lumora and runs every test (unit, peer, lint). Installs missing packages first. Then
# builds the core tests and the fuzz replays again with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer in build-asan/ and runs them there: a memory fault, a leak or
# undefined behaviour fails the test that met it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
ctest --test-dir build --output-on-failure -j2

# -O1 and line tables only: the sanitized build is a second full compile of the core, so it is
# kept cheap; the stack traces still name file and line.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DLUMORA_SANITIZE=ON -DLUMORA_BUILD_BENCH=OFF
cmake --build build-asan --target core_tests
# The settings reach the programs the tests start (lumora) too. Leaks are suppressed only inside
# third-party libraries (tests/lsan.supp), never in ours. The tests of failed closes preload a
# library of their own (lumora_failclose) ahead of the sanitizer's runtime, which is allowed.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:verify_asan_link_order=0
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Tests that cannot run under the sanitizers, each with its reason:
# - HugePages.TheProgramRestarts...: it asks the C library's malloc for huge pages, and
#   AddressSanitizer replaces that malloc with its own, which takes no such tunable.
excluded='^HugePages\.TheProgramRestartsOnceAskingForThemAndGetsThem$'
# The layers' tests of core code and the fuzz replays (tests/CMakeLists.txt: core_tests).
ctest --test-dir build-asan --output-on-failure -j2 \
  -L '^(survey|platform|passage|scene|exporter|viewer|analysis|cli|fuzz)$' -E "$excluded"
