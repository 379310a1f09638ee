#!/usr/bin/env bash
# tessivox-cli verify on a 1 GiB IM2 image in the page cache, against cat (the read limit)
# and sha256sum of the same file. Target: verify at most 1.3x cat.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh

image="$work/verify-1g.IM2"
[ -f "$image" ] || "$synth" "$image" --bits 16 --mib 1024
cat "$image" >/dev/null   # into the page cache

cat_s=$(best_of sh -c "cat '$image' >/dev/null")
sha_s=$(best_of sha256sum "$image")
verify_s=$(best_of "$cli" verify "$image")

echo "image: $(du -h "$image" | cut -f1) $image"
echo "cat:       ${cat_s} s"
echo "sha256sum: ${sha_s} s"
echo "verify:    ${verify_s} s"
echo "verify / cat       = $(ratio "$verify_s" "$cat_s")   (target <= 1.3)"
echo "verify / sha256sum = $(ratio "$verify_s" "$sha_s")"
result "verify 1 GiB IM2" "$verify_s" "cat" "$cat_s" "1.3x"
