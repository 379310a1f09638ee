#include "fuzz/ix2_image_fuzz.h"

#include "formats/ix2/ix2_details.h"
#include "formats/ix2/ix2_source.h"
#include "fuzz/fuzz_support.h"

#include <vector>

namespace tvx::fuzz {

namespace {

// Index block 2's model code: compression 31 (plain 8-bit) makes the file a chain.
constexpr std::size_t kIndexBlock2Model = 1184 + kOffModelCode;
constexpr std::uint8_t kChainModels[] = {31, 63, 104, 225};
constexpr std::uint8_t kPlainModels[] = {4, 6, 37, 102, 103, 0};

}  // namespace

void ExamineIx2(const std::uint8_t* data, std::size_t size, bool chain) {
    std::vector<std::uint8_t> bytes(data, data + size);
    if (bytes.size() > kIndexBlock2Model) {
        std::uint8_t& model = bytes[kIndexBlock2Model];
        model = chain ? kChainModels[model % std::size(kChainModels)]
                      : kPlainModels[model % std::size(kPlainModels)];
    }
    const Scratch scratch;
    const std::string path = scratch.Write("F00012.IX2", bytes);

    const Result<AuthReport> report = AuthenticateTwice(path, ImageFormat::Ix2);
    if (report && bytes.size() >= 1712)
        TVX_FUZZ_CHECK(report->chain == chain);
    {
        Ix2Source source;
        if (!source.Open(path)) {
            const DetailsFields details = Ix2Details(source.Reader());
            TVX_FUZZ_CHECK(!details.details.empty());
        }
    }
    BuildAndCheckPeaks(path, ImageFormat::Ix2, report);
    const ConvertResult result = ConvertInto(path, ImageFormat::Ix2, scratch.Folder("out"));
    TVX_FUZZ_CHECK(result.outcome == ConvertOutcome::Completed);
}

}  // namespace tvx::fuzz
