# Shared by the side-by-side scripts: where the tools are, and a timer that keeps the best of
# a few runs (the first run of a command warms the page cache for the next).
build="${TVX_BUILD_DIR:-build}"
synth="$build/tools/synth/tvx-synth"
cli="$build/src/cli/tessivox-cli"
work="${TVX_BENCH_DIR:-${TMPDIR:-/tmp}/tvx-bench}"
runs="${TVX_BENCH_RUNS:-3}"

for tool in "$synth" "$cli"; do
    [ -x "$tool" ] || { echo "bench: $tool is missing; run scripts/setup first" >&2; exit 2; }
done
mkdir -p "$work"

# best_of CMD...: prints the shortest wall time in seconds over $runs runs. Exit status 1 is
# a verdict (an irregular image); a run that fails otherwise has no time worth printing.
best_of() {
    local best="" t start status
    for _ in $(seq "$runs"); do
        start=$(date +%s.%N)
        status=0
        "$@" >/dev/null 2>&1 || status=$?
        if [ "$status" -gt 1 ]; then
            echo "bench: '$*' failed with exit status $status" >&2
            return 2
        fi
        t=$(awk -v a="$(date +%s.%N)" -v b="$start" 'BEGIN { print a - b }')
        if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then
            best=$t
        fi
    done
    printf '%.3f' "$best"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# result WORK TESSIVOX_S PEER PEER_S TARGET: the line bench/all collects into its table, after
# the script's own words. TARGET is a ratio ("1.3x": at most 1.3 times the peer), a difference
# ("+1ms": at most a millisecond more than the peer), a limit without a peer ("20ms", "1s")
# or "-" (none set).
result() {
    local measure
    case $5 in
        +*ms) measure=$(awk -v a="$2" -v b="$4" 'BEGIN { printf "%+.2fms", (a - b) * 1000 }') ;;
        *ms) measure=$(awk -v a="$2" 'BEGIN { printf "%.1fms", a * 1000 }') ;;
        *x | -) measure=$(ratio "$2" "$4")x ;;
        *s) measure="$2s" ;;
    esac
    printf 'RESULT\t%s\t%s\t%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" "$measure" "$5"
}

# sha256_floor FILE...: the seconds SHA-256 alone takes over the largest of these files at this
# processor's speed, measured now by openssl speed. A conversion's manifest lists the digest
# of every WAV, and one file's digest runs on one core: no conversion goes under this.
sha256_floor() {
    local bytes rate
    bytes=$(stat -c %s "$@" | sort -n | tail -1)
    rate=$(openssl speed -seconds 1 -bytes 262144 -evp sha256 2>/dev/null |
           awk '/^sha256/ { sub(/k$/, "", $2); print $2 * 1000 }')
    awk -v b="$bytes" -v r="$rate" 'BEGIN { printf "%.3f", b / r }'
}
