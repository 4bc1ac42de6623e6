#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build/fuzz and runs each one for the given number of seconds (default 60), starting from the
# seed corpus in fuzz/corpus. A crash, a failed check or a sanitizer report fails the run and
# leaves the input in build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

./scripts/install-deps.sh
build=build/fuzz
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-16
cmake --build "$build" -j 2

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_LOGGING_RULES="*.debug=false"
mkdir -p "$build/artifacts"
for target in envelope slacktext emoji tokenvalidation; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    echo "fuzz_$target: ${seconds}s"
    # New inputs go to the first folder; the seeds in the tree stay as they are.
    "$build/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "$corpus" "fuzz/corpus/$target"
done
echo "Fuzzing done: no findings in any target."
