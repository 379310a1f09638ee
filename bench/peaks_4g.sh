#!/usr/bin/env bash
# The overview of a 4 GiB IM2 image for a 1,000-column view reads 1,000 blocks, not the file:
# tessivox-cli peaks against tessivox-cli details (start-up and one header read) and against
# cat of the whole image. Target: peaks well under a second. The image is sparse past its
# first blocks, which costs the pass nothing it would not pay on a real one.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh

image="$work/peaks-4g.IM2"
size=$((4 * 1024 * 1024 * 1024 + 528))
if [ ! -f "$image" ]; then
    "$synth" "$image" --bits 16 --blocks 2000 --stated $((size / 528 - 1))
    truncate -s "$size" "$image"
fi

details_s=$(best_of "$cli" details "$image")
peaks_s=$(best_of "$cli" peaks "$image" --width 1000)
cat_s=$(best_of sh -c "cat '$image' >/dev/null")

echo "image: $(ls -l "$image" | awk '{ print $5 }') bytes $image"
echo "details: ${details_s} s"
echo "peaks:   ${peaks_s} s   (target well under 1 s)"
echo "cat:     ${cat_s} s"
echo "peaks / details = $(ratio "$peaks_s" "$details_s")"
echo "peaks / cat     = $(ratio "$peaks_s" "$cat_s")"
result "peaks of a 4 GiB IM2" "$peaks_s" "-" "-" "1s"
