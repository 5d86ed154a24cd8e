#!/usr/bin/env bash
# Runs each libFuzzer target for a bounded time over a scratch copy of its seed corpus, so new
# inputs do not pile up in the repository; a crash input lands in the build directory.
set -euo pipefail
build=$1
seconds=${2:-60}
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
status=0
# Driven by the sources, so a binary left over from a renamed target is never run.
for target in "$src"/fuzz/*.cpp; do
    name=$(basename "$target" .cpp)
    bin="$build/fuzz-$name"
    if [ ! -x "$bin" ]; then
        echo "!! no fuzz binary for $name" >&2
        status=1
        continue
    fi
    work="$build/corpus-$name"
    rm -rf "$work" && mkdir -p "$work"
    cp -r "$src/fuzz/corpus/$name/." "$work/" 2>/dev/null || true
    echo "== fuzz $name for ${seconds}s"
    if ! "$bin" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/crash-$name-" \
        "$work" 2>"$build/fuzz-$name.log"; then
        echo "!! $name found a fault; see $build/fuzz-$name.log" >&2
        status=1
    fi
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$build/fuzz-$name.log" | sed "s/^/   /"
done
exit $status
