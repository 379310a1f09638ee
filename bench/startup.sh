#!/usr/bin/env bash
# What a batch of small images costs beyond their bytes: tessivox-cli --version against
# `cat /dev/null` (the cost of starting a program at all), and verify of a 100 MiB IM2 image
# in the page cache against cat of it. Medians of many runs taken in turns
# (build/bench/spawn_bench), as one start-up is below what a shell's timer sees.
# Targets: --version within 1 ms of cat; verify at most 1.5x cat.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh

spawn="$build/bench/spawn_bench"
[ -x "$spawn" ] || { echo "bench: $spawn is missing; build the benchmarks" >&2; exit 2; }
image="$work/verify-100m.IM2"
[ -f "$image" ] || "$synth" "$image" --bits 16 --mib 100 >/dev/null
cat "$image" >/dev/null   # into the page cache

{ read -r cat0_s; read -r version_s; } < <("$spawn" 500 cat /dev/null -- "$cli" --version)
{ read -r cat_s; read -r verify_s; } < <("$spawn" 30 cat "$image" -- "$cli" verify "$image")

echo "cat /dev/null:        $(awk -v t="$cat0_s" 'BEGIN { printf "%.3f", t * 1000 }') ms (median of 500)"
echo "tessivox-cli --version: $(awk -v t="$version_s" 'BEGIN { printf "%.3f", t * 1000 }') ms"
echo "image: $(du -h "$image" | cut -f1) $image (median of 30)"
echo "cat:    ${cat_s} s"
echo "verify: ${verify_s} s"
echo "verify / cat = $(ratio "$verify_s" "$cat_s")   (target <= 1.5)"
result "--version" "$version_s" "cat /dev/null" "$cat0_s" "+1ms"
result "verify 100 MiB IM2" "$verify_s" "cat" "$cat_s" "1.5x"
