// Records per second of the decoder for each stored form, and of the authentication check
// alone, on synthesized images held in memory.
#include "formats/im2/im2.h"
#include "synth/synth.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

using tvx::kRecordSize;

struct Variant {
    int bits;
    int compression;
    int channels;
};

constexpr int kRecords = 512;

std::vector<std::uint8_t> ImageOf(const Variant& v) {
    tvx::synth::Im2Options o;
    o.storedBits = v.bits;
    o.channels = v.channels;
    o.modelCode = *tvx::synth::ModelCodeForCompression(v.compression);
    o.blocks = kRecords;
    return tvx::synth::MakeIm2(o);
}

void PrepareHeader(tvx::CIm2& image, const std::vector<std::uint8_t>& bytes) {
    std::memcpy(image.m_block.data(), bytes.data(), kRecordSize);
    image.InitFromHeader();
}

void BM_Decode(benchmark::State& state, Variant v) {
    const std::vector<std::uint8_t> bytes = ImageOf(v);
    tvx::CIm2 image;
    PrepareHeader(image, bytes);
    std::uint8_t out[tvx::kMaxDecodedBytes];
    std::uint16_t count = 0;
    std::size_t record = 0;
    for (auto _ : state) {
        std::memcpy(image.m_block.data(), bytes.data() + (record + 1) * kRecordSize, kRecordSize);
        image.m_nBlock = static_cast<std::uint32_t>(record);
        benchmark::DoNotOptimize(image.Decode(out, &count));
        benchmark::DoNotOptimize(out);
        record = (record + 1) % kRecords;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kRecordSize));
}

void BM_CheckBlock(benchmark::State& state) {
    const std::vector<std::uint8_t> bytes = ImageOf({16, 6, 1});
    tvx::CIm2 image;
    PrepareHeader(image, bytes);
    std::size_t record = 0;
    for (auto _ : state) {
        std::memcpy(image.m_block.data(), bytes.data() + (record + 1) * kRecordSize, kRecordSize);
        image.m_nBlock = static_cast<std::uint32_t>(record);
        benchmark::DoNotOptimize(image.CheckBlock());
        record = (record + 1) % kRecords;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kRecordSize));
}

}  // namespace

BENCHMARK_CAPTURE(BM_Decode, stored16_mono, Variant{16, 6, 1});
BENCHMARK_CAPTURE(BM_Decode, stored8_comp5, Variant{8, 5, 1});
BENCHMARK_CAPTURE(BM_Decode, stored8_plain, Variant{8, 31, 1});
BENCHMARK_CAPTURE(BM_Decode, stored8_comp6, Variant{8, 6, 1});
BENCHMARK_CAPTURE(BM_Decode, stored8_comp4, Variant{8, 4, 1});
BENCHMARK_CAPTURE(BM_Decode, stored4_comp5, Variant{4, 5, 1});
BENCHMARK_CAPTURE(BM_Decode, stored4_comp4_mono, Variant{4, 4, 1});
BENCHMARK_CAPTURE(BM_Decode, stored4_comp4_stereo, Variant{4, 4, 2});
BENCHMARK_CAPTURE(BM_Decode, stored4_comp6, Variant{4, 6, 1});
BENCHMARK(BM_CheckBlock);

BENCHMARK_MAIN();
