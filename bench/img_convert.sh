#!/usr/bin/env bash
# Ten hours of a 5-bit IMG image at 8 kHz: tessivox-cli convert against sox turning an 8-bit
# PCM WAV of the same duration into a WAV copy, both writing into the same folder.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
command -v sox >/dev/null || { echo "bench: sox is missing; run scripts/setup" >&2; exit 2; }

image="$work/convert-10h.IMG"
pcm="$work/convert-10h-u8.wav"
out="$work/out"
[ -f "$image" ] || "$synth" "$image" --bits 5 --hours 10
[ -f "$pcm" ] || sox -n -r 8000 -c 1 -e unsigned-integer -b 8 "$pcm" synth 36000 sine 300-3000
cat "$image" "$pcm" >/dev/null
mkdir -p "$out"

sox_s=$(best_of sox "$pcm" "$out/sox.wav")
rm -f "$out/sox.wav"
convert_s=$(best_of "$cli" convert "$image" --out "$out" --yes)

echo "image: $(du -h "$image" | cut -f1) $image; WAV written: $(du -ch "$out"/*.wav | tail -1 | cut -f1)"
echo "sox copy: ${sox_s} s"
echo "convert:  ${convert_s} s"
echo "convert / sox = $(ratio "$convert_s" "$sox_s")"
result "convert 10 h 5-bit IMG" "$convert_s" "sox WAV copy" "$sox_s" "-"
rm -f "$out"/*.wav "$out"/*.txt "$out"/*.sha256
