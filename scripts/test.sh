#!/usr/bin/env bash
# Builds everything and runs every test headless: once as built, once more
# with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

calllog_install_packages "${CALLLOG_PACKAGES[@]}" "${CALLLOG_TEST_PACKAGES[@]}"
export QT_QPA_PLATFORM=offscreen

calllog_build "$CALLLOG_ROOT/build" -DCALLLOG_BUILD_TESTS=ON
ctest --test-dir "$CALLLOG_ROOT/build" --output-on-failure --no-tests=error -j2

if [ "${CALLLOG_SKIP_SANITIZERS:-0}" != 1 ]; then
    echo "== The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer"
    calllog_build "$CALLLOG_ROOT/build-sanitize" -DCALLLOG_BUILD_TESTS=ON -DCALLLOG_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$CALLLOG_ROOT/build-sanitize" --output-on-failure --no-tests=error -j2
fi
