#!/usr/bin/env bash
# Runs every fuzz target for SECONDS on a scratch copy of its seed corpus, one
# after the other, one job each. Fails on any crash, leak, timeout or sanitizer
# report; the input that caused it is kept under fuzz/corpus-run/<build>/<target>/,
# <build> being the build directory's name.
#
# Usage: fuzz/run-all.sh BUILD_DIR SECONDS
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR SECONDS" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
runs=$here/corpus-run/$(basename "$build")

failed=0
for target in fuzz_dom fuzz_stream fuzz_build; do
    work=$runs/$target
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/tmp"
    cp "$here/corpus/$target"/* "$work/corpus/"
    log=$work/log.txt
    # The targets save and reload documents: their scratch files stay in here.
    if TMPDIR=$work/tmp "$build/fuzz/$target" "$work/corpus" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
        -print_final_stats=1 -artifact_prefix="$work/" >"$log" 2>&1; then
        status=ok
    else
        status=FAILED
        failed=1
        grep -E "ERROR|SUMMARY|fuzz check failed|Test unit written" "$log" | head -20 >&2 || true
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: $status, ${executions:-?} executions in ${seconds} s (log: $log)"
done
exit "$failed"
