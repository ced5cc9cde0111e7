#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test. Extra arguments go to ctest (e.g. -R Json).
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh test

build=build/test
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTOLLMARSH_SANITIZE=address,undefined \
      -DTOLLMARSH_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp}
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 300 "$@"
