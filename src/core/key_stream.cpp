#include "core/key_stream.h"

#include "core/block_record.h"
#include "core/wide_vectors.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace tvx {

#if defined(__SSE2__)

namespace {

// Every byte becomes the sum of itself and the bytes before it in the vector.
__m128i InclusiveSums(__m128i v) {
    v = _mm_add_epi8(v, _mm_slli_si128(v, 1));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 2));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 4));
    return _mm_add_epi8(v, _mm_slli_si128(v, 8));
}

// The last byte in every byte.
__m128i BroadcastLast(__m128i v) {
    v = _mm_unpackhi_epi8(v, v);
    v = _mm_unpackhi_epi16(v, v);
    return _mm_shuffle_epi32(v, 0xFF);
}

}  // namespace

std::uint8_t PayloadSumNarrow(const std::uint8_t* payload) {
    __m128i sums = _mm_setzero_si128();
    const __m128i zero = _mm_setzero_si128();
    for (std::size_t i = 0; i < kPayloadSize; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(payload + i));
        sums = _mm_add_epi64(sums, _mm_sad_epu8(v, zero));
    }
    const auto low = static_cast<std::uint64_t>(_mm_cvtsi128_si64(sums));
    const auto high = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    return static_cast<std::uint8_t>(low + high);
}

namespace {

// The scan's hottest loop: every payload byte of the image passes through it once. Two
// running sums let the additions of neighbouring vectors overlap.
__attribute__((target("avx2"))) std::uint8_t PayloadSumWide(const std::uint8_t* payload) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i even = zero;
    __m256i odd = zero;
    for (std::size_t i = 0; i < kPayloadSize; i += 64) {
        const auto* at = reinterpret_cast<const __m256i*>(payload + i);
        even = _mm256_add_epi64(even, _mm256_sad_epu8(_mm256_loadu_si256(at), zero));
        odd = _mm256_add_epi64(odd, _mm256_sad_epu8(_mm256_loadu_si256(at + 1), zero));
    }
    const __m256i sums = _mm256_add_epi64(even, odd);
    const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
    return static_cast<std::uint8_t>(_mm_cvtsi128_si64(_mm_add_epi64(half, _mm_unpackhi_epi64(half, half))));
}

}  // namespace

std::uint8_t PayloadSum(const std::uint8_t* payload) {
    return WideVectors() ? PayloadSumWide(payload) : PayloadSumNarrow(payload);
}

namespace {

// Thirty-two bytes at once where the processor has the wider vectors: the sums run within
// each half, then the first half's total is carried into the second.
__attribute__((target("avx2"))) std::uint8_t DecipherWide(const std::uint8_t* cipher,
                                                          std::uint8_t* plain, std::uint8_t k) {
    const __m256i last = _mm256_set1_epi8(15);
    __m256i key = _mm256_set1_epi8(static_cast<char>(k));
    for (std::size_t i = 0; i < kPayloadSize; i += 32) {
        const __m256i e = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cipher + i));
        __m256i sums = _mm256_add_epi8(e, _mm256_slli_si256(e, 1));
        sums = _mm256_add_epi8(sums, _mm256_slli_si256(sums, 2));
        sums = _mm256_add_epi8(sums, _mm256_slli_si256(sums, 4));
        sums = _mm256_add_epi8(sums, _mm256_slli_si256(sums, 8));
        const __m256i halfTotals = _mm256_shuffle_epi8(sums, last);
        sums = _mm256_add_epi8(sums, _mm256_permute2x128_si256(halfTotals, halfTotals, 0x08));
        const __m256i before = _mm256_add_epi8(key, _mm256_sub_epi8(sums, e));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(plain + i), _mm256_xor_si256(e, before));
        const __m256i totals = _mm256_shuffle_epi8(sums, last);
        key = _mm256_add_epi8(key, _mm256_permute2x128_si256(totals, totals, 0x11));
    }
    return static_cast<std::uint8_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(key)));
}

}  // namespace

std::uint8_t DecipherPayloadNarrow(const std::uint8_t* cipher, std::uint8_t* plain,
                                   std::uint8_t k) {
    __m128i key = _mm_set1_epi8(static_cast<char>(k));
    for (std::size_t i = 0; i < kPayloadSize; i += 16) {
        const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cipher + i));
        const __m128i sums = InclusiveSums(e);
        const __m128i before = _mm_add_epi8(key, _mm_sub_epi8(sums, e));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(plain + i), _mm_xor_si128(e, before));
        key = _mm_add_epi8(key, BroadcastLast(sums));
    }
    return static_cast<std::uint8_t>(_mm_cvtsi128_si32(key));
}

std::uint8_t DecipherPayload(const std::uint8_t* cipher, std::uint8_t* plain, std::uint8_t k) {
    return WideVectors() ? DecipherWide(cipher, plain, k) : DecipherPayloadNarrow(cipher, plain, k);
}

#else

std::uint8_t PayloadSumNarrow(const std::uint8_t* payload) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < kPayloadSize; ++i)
        sum = static_cast<std::uint8_t>(sum + payload[i]);
    return sum;
}

std::uint8_t DecipherPayloadNarrow(const std::uint8_t* cipher, std::uint8_t* plain,
                                   std::uint8_t k) {
    for (std::size_t i = 0; i < kPayloadSize; ++i) {
        plain[i] = cipher[i] ^ k;
        k = static_cast<std::uint8_t>(k + cipher[i]);
    }
    return k;
}

std::uint8_t DecipherPayload(const std::uint8_t* cipher, std::uint8_t* plain, std::uint8_t k) {
    return DecipherPayloadNarrow(cipher, plain, k);
}

std::uint8_t PayloadSum(const std::uint8_t* payload) {
    return PayloadSumNarrow(payload);
}

#endif

}  // namespace tvx
