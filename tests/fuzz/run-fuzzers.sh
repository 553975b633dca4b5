#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (ASan + UBSan, libraries
# instrumented too) and runs each one for a bounded time on a copy of the
# committed corpus. Exits non-zero when a harness finds anything.
#
#   tests/fuzz/run-fuzzers.sh BUILD_DIR [SECONDS_PER_HARNESS] [HARNESS...]
#
# Findings are kept in BUILD_DIR/fuzz-work/<harness>/artifacts/; reproduce
# one with BUILD_DIR/bin/fuzz_<harness> FILE, then add it to corpus/<harness>/
# once fixed.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath -m "${1:?build directory}")
seconds=${2:-60}
shift $(( $# >= 2 ? 2 : $# ))
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(survey survey_open survey_claims config config_expand word word_expand window_state report_fields
    edit)
jobs=$(nproc 2>/dev/null || echo 2)

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKVR_FUZZ=ON -DKVR_BUILD_BENCH=OFF -DKVR_WERROR=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    >/dev/null
targets=()
for h in "${harnesses[@]}"; do targets+=("fuzz_$h"); done
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

# Largest inputs: two survey groups with their records, header patches, a
# configuration file, a Word template; the compact seeds of the _expand
# harnesses grow inside the harness.
declare -A maxlen=([survey]=147832 [survey_open]=147832 [survey_claims]=392 [config]=65536
                   [config_expand]=4096 [word]=262144 [word_expand]=65536 [window_state]=8192
                   [report_fields]=8192 [edit]=4096)
# The corpus a harness starts from, when it shares another's.
declare -A corpus=([survey_open]=survey)
# Leak checks per harness, off where Qt itself leaks and the leak report
# cannot tell that from others (the Qt libraries have no frame pointers):
# the window state harness runs Qt's GUI platform, whose fonts and screens
# leak at start; Qt's JSON reader leaks an object given twice under one key
# (both harnesses read JSON). What they check holds only values.
declare -A leaks=([window_state]=0 [report_fields]=0)
work="$build/fuzz-work"
# The survey and Word harnesses write their inputs to files (the others keep
# them in memory): on a memory file system that costs a hundredth of what it
# does on disk.
scratch=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for h in "${harnesses[@]}"; do
    dir="$work/$h"
    rm -rf "$dir"
    mkdir -p "$dir/corpus" "$dir/artifacts"
    cp tests/fuzz/corpus/"${corpus[$h]:-$h}"/* "$dir/corpus/"
    dict=()
    base=${h%_expand}
    base=${base%_open}
    [ -f "tests/fuzz/$base.dict" ] && dict=(-dict="$PWD/tests/fuzz/$base.dict")
    echo "fuzz_$h: ${seconds}s"
    if ! (cd "$dir" && TMPDIR="$scratch" ASAN_OPTIONS=detect_leaks=${leaks[$h]:-1} "$build/bin/fuzz_$h" "${dict[@]}" \
            -max_total_time="$seconds" -max_len="${maxlen[$h]}" -timeout=30 -rss_limit_mb=2500 \
            -print_final_stats=1 -artifact_prefix="$dir/artifacts/" "$dir/corpus" >"$dir/log.txt" 2>&1); then
        echo "fuzz_$h found a problem:"
        tail -n 60 "$dir/log.txt"
        ls -l "$dir/artifacts"
        status=1
    else
        grep -E '^stat::number_of_executed_units' "$dir/log.txt" | sed "s/^/fuzz_$h: /" || true
    fi
done
exit $status
