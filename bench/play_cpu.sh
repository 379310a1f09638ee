#!/usr/bin/env bash
# CPU time of `tessivox-cli play` over 60 seconds of audio, with SDL's disk driver standing in
# for the sound card (it takes the samples at the real rate). Target: the whole tool, worker
# and audio thread together, uses a few percent of one core at most.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh

# 16-bit mono at 8 kHz (the densest block rate of the common images) and 16-bit stereo at
# 22,050 Hz (the most bytes a second), each one minute long.
"$synth" "$work/play60_mono.IM2" --bits 16 --blocks 1875 >/dev/null 2>&1
"$synth" "$work/play60_stereo.IM2" --bits 16 --channels 2 --rate-code 3 --blocks 10336 >/dev/null 2>&1

measure() {
    local image=$1 out stats
    out="$work/play.raw"
    stats=$(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" \
        /usr/bin/time -f '%U %S %e' "$cli" play "$image" 2>&1 >/dev/null | tail -1)
    read -r user sys wall <<<"$stats"
    awk -v u="$user" -v s="$sys" -v w="$wall" -v n="$(basename "$image")" 'BEGIN {
        printf "%-20s wall %6.1f s   cpu %5.2f s (user %.2f, sys %.2f)   %.2f%% of one core\n",
               n, w, u + s, u, s, 100 * (u + s) / w }'
    rm -f "$out"
}

measure "$work/play60_mono.IM2"
measure "$work/play60_stereo.IM2"
