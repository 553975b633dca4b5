#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite with CTest
# (its "package" test builds the Debian package and checks it unpacked).
# Then, unless KVR_QUICK_TEST is set: the whole suite again built with
# AddressSanitizer and UndefinedBehaviorSanitizer (LeakSanitizer included),
# and a short bounded run of every fuzz harness (KVR_FUZZ_SECONDS each,
# default 60). Any failure fails the script.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --test
# The Word report's layout check must run here, not be skipped.
export KVR_REQUIRE_SOFFICE=1
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKVR_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

if [ -n "${KVR_QUICK_TEST:-}" ]; then
    exit 0
fi

echo "== sanitizer build (ASan + UBSan + LSan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVR_SANITIZE=ON -DKVR_BUILD_BENCH=OFF -DKVR_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
LSAN_OPTIONS="suppressions=$PWD/tests/reliability/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -E '^package$' # the package is checked above

echo "== fuzzing (${KVR_FUZZ_SECONDS:-60}s per harness)"
tests/fuzz/run-fuzzers.sh build-fuzz "${KVR_FUZZ_SECONDS:-60}"
