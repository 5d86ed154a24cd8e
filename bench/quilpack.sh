#!/usr/bin/env bash
# quilpack create of one 110 MiB package against cp of the same file, side by side: median
# wall time of 5 runs each and peak resident memory (GNU time). Figures only; nothing here
# passes or fails on them. Targets: time at most 1.5 x that of cp, peak RSS at most 32 MB.
#   bench/quilpack.sh QUILPACK STUB [WORK_DIR]
set -euo pipefail
quilpack=$1 stub=$2
work=${3:-$(dirname "$quilpack")/quilpack-bench}
runs=5
size=110346240 # the size of the product's package
rm -rf "$work" && mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
head -c "$size" /dev/urandom > "$work/Product.msi"
cat "$work/Product.msi" > /dev/null # warm: both tools read from the cache

# One run: prints "milliseconds peak-RSS-KiB".
measure() {
    rm -f "$work/out"
    sync # write back the previous run's pages first, outside the timing
    local t0 t1
    t0=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/rss" "$@" > /dev/null
    t1=$(date +%s%N)
    echo "$(( (t1 - t0) / 1000 )) $(cat "$work/rss")"
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

declare -A us rss
: > "$work/cp.times" && : > "$work/cp.rss" && : > "$work/quilpack.times" && : > "$work/quilpack.rss"
# Alternating, so that a slow spell of the disk falls on both tools alike.
for ((i = 0; i < runs; i++)); do
    read -r t m < <(measure cp "$work/Product.msi" "$work/out")
    echo "$t" >> "$work/cp.times" && echo "$m" >> "$work/cp.rss"
    read -r t m < <(measure "$quilpack" create --stub "$stub" --output "$work/out" --arch amd64 "$work/Product.msi")
    echo "$t" >> "$work/quilpack.times" && echo "$m" >> "$work/quilpack.rss"
done
for tool in cp quilpack; do
    us[$tool]=$(median < "$work/$tool.times")
    rss[$tool]=$(median < "$work/$tool.rss")
done

echo
echo "quilpack create against cp, one package of $size bytes, median of $runs runs:"
printf '%-10s %12s %16s\n' tool "time (ms)" "peak RSS (MB)"
for tool in cp quilpack; do
    awk -v t="${us[$tool]}" -v m="${rss[$tool]}" -v n="$tool" 'BEGIN { printf "%-10s %12.1f %16.1f\n", n, t / 1000, m / 1024 }'
done
awk -v q="${us[quilpack]}" -v c="${us[cp]}" -v m="${rss[quilpack]}" 'BEGIN {
    printf "time ratio quilpack/cp: %.2f x (target at most 1.5 x)\n", q / c
    printf "quilpack peak RSS: %.1f MB (target at most 32 MB)\n", m / 1024 }'
