#!/usr/bin/env bash
# 10 hours of 8 kHz mono audio: tessivox-cli convert of a 4-bit IM2 image (compression 4)
# against sox turning an IMA ADPCM WAV of the same length into 16-bit PCM, both writing into
# the same folder. Target: convert at most 0.2x sox. The same audio as an IX2 chain is shown
# beside it, without a target of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
command -v sox >/dev/null || { echo "bench: sox is missing; run scripts/setup" >&2; exit 2; }

image="$work/convert-10h.IM2"
chain="$work/convert-10h-chain.IX2"
adpcm="$work/convert-10h-ima.wav"
out="$work/out"
[ -f "$image" ] || "$synth" "$image" --bits 4 --compression 4 --hours 10
[ -f "$chain" ] || "$synth" "$chain" --chain --bits 4 --compression 4 --hours 10
[ -f "$adpcm" ] || sox -n -r 8000 -c 1 -e ima-adpcm "$adpcm" synth 36000 sine 300-3000
cat "$image" "$chain" "$adpcm" >/dev/null
mkdir -p "$out" "$out/chain"

sox_s=$(best_of sox "$adpcm" -e signed-integer -b 16 "$out/sox.wav")
rm -f "$out/sox.wav"
convert_s=$(best_of "$cli" convert "$image" --out "$out" --yes)
chain_s=$(best_of "$cli" convert "$chain" --out "$out/chain" --yes)

echo "image: $(du -h "$image" | cut -f1) $image; WAV written: $(du -ch "$out"/*.wav | tail -1 | cut -f1)"
echo "sox:     ${sox_s} s"
echo "convert: ${convert_s} s"
echo "convert of the IX2 chain: ${chain_s} s"
floor_s=$(sha256_floor "$out"/*.wav)
echo "convert / sox = $(ratio "$convert_s" "$sox_s")   (target <= 0.2)"
echo "of it, the SHA-256 of the WAV for the manifest alone: ${floor_s} s = $(ratio "$floor_s" "$sox_s") x sox"
result "convert 10 h 4-bit IM2" "$convert_s" "sox IMA ADPCM decode" "$sox_s" "0.2x"
result "  its WAV's SHA-256 alone (manifest)" "$floor_s" "sox IMA ADPCM decode" "$sox_s" "-"
result "convert 10 h 4-bit IX2 chain" "$chain_s" "sox IMA ADPCM decode" "$sox_s" "-"
rm -f "$out"/*.wav "$out"/*.txt "$out"/*.sha256
rm -rf "$out/chain"
