#!/usr/bin/env bash
# A 1 GiB IX2 chain image (16-bit inner stream) in the page cache: tessivox-cli verify against
# cat and sha256sum of the same file, and convert against sox copying a 16-bit PCM WAV of the
# same duration. A chain deciphers every outer block before its inner blocks can be judged,
# so verify does more work per byte than on an IM2 image. Targets: verify at most 3x cat,
# convert at most 0.5x sox.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
command -v sox >/dev/null || { echo "bench: sox is missing; run scripts/setup" >&2; exit 2; }

image="$work/chain-1g.IX2"
pcm="$work/chain-1g-pcm.wav"
out="$work/out"
[ -f "$image" ] || "$synth" "$image" --chain --bits 16 --mib 1024
blocks=$("$cli" verify --json "$image" | awk -F': ' '/"split_blocks"/ { gsub(",", "", $2); print $2 }')
seconds=$(awk -v b="$blocks" 'BEGIN { printf "%.3f", b * 256 / 8000 }')
[ -f "$pcm" ] || sox -n -r 8000 -c 1 -e signed-integer -b 16 "$pcm" synth "$seconds" sine 300-3000
cat "$image" "$pcm" >/dev/null
mkdir -p "$out"

cat_s=$(best_of sh -c "cat '$image' >/dev/null")
sha_s=$(best_of sha256sum "$image")
verify_s=$(best_of "$cli" verify "$image")
sox_s=$(best_of sox "$pcm" "$out/sox.wav")
rm -f "$out/sox.wav"
convert_s=$(best_of "$cli" convert "$image" --out "$out" --yes)

echo "image: $(du -h "$image" | cut -f1) $image, $blocks inner blocks ($seconds s of audio)"
echo "cat:       ${cat_s} s"
echo "sha256sum: ${sha_s} s"
echo "verify:    ${verify_s} s"
echo "sox copy:  ${sox_s} s"
echo "convert:   ${convert_s} s"
echo "verify / cat       = $(ratio "$verify_s" "$cat_s")   (target <= 3)"
echo "verify / sha256sum = $(ratio "$verify_s" "$sha_s")"
floor_s=$(sha256_floor "$out"/*.wav)
echo "convert / sox      = $(ratio "$convert_s" "$sox_s")   (target <= 0.5)"
echo "of it, the SHA-256 of the WAV for the manifest alone: ${floor_s} s = $(ratio "$floor_s" "$sox_s") x sox"
result "verify 1 GiB IX2 chain" "$verify_s" "cat" "$cat_s" "3x"
result "convert 1 GiB IX2 chain" "$convert_s" "sox WAV copy" "$sox_s" "0.5x"
result "  its WAV's SHA-256 alone (manifest)" "$floor_s" "sox WAV copy" "$sox_s" "-"
rm -f "$out"/*.wav "$out"/*.txt "$out"/*.sha256
