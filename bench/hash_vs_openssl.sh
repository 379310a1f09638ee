#!/usr/bin/env bash
# tessivox-cli verify --hash on a 1 GiB IM2 image in the page cache, against openssl sha256
# and sha256sum of the same file in the same run. The scan rides on the second core, so the
# target is verify --hash at most 1.1x openssl sha256.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
runs="${TVX_BENCH_RUNS:-5}"

image="$work/hash-1g.IM2"
[ -f "$image" ] || "$synth" "$image" --bits 16 --mib 1024
cat "$image" >/dev/null   # into the page cache

openssl_s=$(best_of openssl sha256 "$image")
sha_s=$(best_of sha256sum "$image")
verify_s=$(best_of "$cli" verify "$image")
hash_s=$(best_of "$cli" verify --hash "$image")

# The digests must agree, or the times compare different work.
ours=$("$cli" verify --hash --json "$image" | sed -n 's/.*"sha256": "\([0-9a-f]*\)".*/\1/p')
[ "$ours" = "$(sha256sum "$image" | cut -d' ' -f1)" ] || { echo "bench: digests differ" >&2; exit 1; }

echo "image: $(du -h "$image" | cut -f1) $image (best of $runs runs)"
echo "openssl sha256:  ${openssl_s} s"
echo "sha256sum:       ${sha_s} s"
echo "verify:          ${verify_s} s"
echo "verify --hash:   ${hash_s} s"
echo "verify --hash / openssl sha256 = $(ratio "$hash_s" "$openssl_s")   (target <= 1.1)"
echo "sha256sum / openssl sha256     = $(ratio "$sha_s" "$openssl_s")"
result "verify --hash 1 GiB IM2" "$hash_s" "openssl sha256" "$openssl_s" "1.1x"
