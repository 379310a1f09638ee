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

# best_of CMD...: prints the shortest wall time in seconds over $runs runs.
best_of() {
    local best="" t start
    for _ in $(seq "$runs"); do
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1 || true
        t=$(awk -v a="$(date +%s.%N)" -v b="$start" 'BEGIN { print a - b }')
        if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then
            best=$t
        fi
    done
    printf '%.3f' "$best"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
