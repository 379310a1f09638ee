#!/usr/bin/env bash
# tessivox-cli report of a 1 GiB IM2 image in the page cache, against verify --hash of the same
# file in the same run. The report adds to that examination the peaks pass (one block per
# column), Qt's start and the PDF, so it should cost little more than verify --hash.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh

image="$work/report-1g.IM2"
[ -f "$image" ] || "$synth" "$image" --bits 16 --mib 1024 --fault payload:100000 --fault order:900000
cat "$image" >/dev/null   # into the page cache
pdf="$work/report-1g.pdf"

hash_s=$(best_of "$cli" verify --hash "$image")
report_s=$(best_of "$cli" report "$image" --out "$pdf" --yes)
[ -s "$pdf" ] || { echo "bench: no report was written" >&2; exit 1; }

echo "image: $(du -h "$image" | cut -f1) $image (best of $runs runs)"
echo "verify --hash:   ${hash_s} s"
echo "report:          ${report_s} s"
echo "report / verify --hash = $(ratio "$report_s" "$hash_s")"
result "report 1 GiB IM2" "$report_s" "verify --hash" "$hash_s" -
