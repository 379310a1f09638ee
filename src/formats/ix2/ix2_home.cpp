#include "formats/ix2/ix2_home.h"

#include "formats/ix2/authenticate_ix2.h"
#include "formats/ix2/convert_ix2.h"
#include "formats/ix2/ix2_details.h"
#include "formats/ix2/ix2_source.h"
#include "formats/pass_reads.h"

#include <memory>

namespace tvx {

namespace {

// Block j is the split's j-th audio block, a chain's through its stream. The source opens
// as the reader's does: a file too short for its index blocks still shows what it holds.
class Ix2Blocks final : public BlockSource {
public:
    std::optional<Error> Open(const std::string& path) { return m_source.Open(path); }
    std::uint32_t Blocks() const override {
        return static_cast<std::uint32_t>(m_source.Reader().m_nSplitBlocks);
    }
    int OutputBits() const override { return m_source.Reader().m_nOutputBits; }
    int Channels() const override { return m_source.Reader().GetChannels(); }
    bool Decode(std::uint64_t j, std::array<std::uint8_t, kMaxDecodedBytes>& out,
                std::uint16_t& count) override {
        m_source.SeekBlock(j);
        CIx2& reader = m_source.Reader();
        if (!m_source.NextBlock(reader.m_block))
            return false;
        reader.m_nBlock = static_cast<std::uint32_t>(reader.m_nSplitFirst + j);
        reader.Decode(out, &count);
        return true;
    }

private:
    Ix2Source m_source;
};

class Ix2FormatHome final : public FormatHome {
public:
    Result<OpenedImage> Open(const std::string& path) const override {
        Ix2Source source;
        if (auto failed = OpenIx2Image(source, path))
            return *failed;
        CIx2 image = source.Reader();
        image.m_bHeaderBad = source.IsHeaderBad();
        return OpenedIx2(image);
    }
    Result<AuthReport> Authenticate(const std::string& path, Hooks& hooks, AuthTally& tally,
                                    std::size_t pieceRecords) const override {
        return AuthenticateIx2(path, hooks, tally, pieceRecords);
    }
    ConvertResult Convert(const ConvertRequest& request, Hooks& hooks) const override {
        return ConvertIx2(request, hooks);
    }
    Result<DetailsFields> Details(const std::string& path) const override {
        Ix2Source source;
        if (auto failed = OpenIx2Image(source, path))
            return *failed;
        return Ix2Details(source.Reader());
    }
    OpenedBlocks OpenBlocks(const std::string& path) const override {
        return OpenBlocksOf<Ix2Blocks>(path);
    }
    Result<SourceShape> Shape(const std::string& path) const override {
        return homes::Caught<SourceShape>(path, [&path]() -> Result<SourceShape> {
            Ix2Source source;
            if (auto failed = OpenIx2Image(source, path))
                return *failed;
            const CIx2& r = source.Reader();
            return SourceShape{
                .structureSound = !source.IsHeaderBad(),
                .exactLength = r.IsWholeSplit() && Ix2ExcessBytes(source.File().GetLength(),
                                                                  r.m_nSplitBlocks,
                                                                  source.IsChain()) == 0,
                .blocks = r.m_nSplitBlocks};
        });
    }
};

}  // namespace

const FormatHome& Ix2Home() {
    static const Ix2FormatHome home;
    return home;
}

OpenedImage OpenedIx2(const CIx2& image) {
    const bool chain = image.HasSplitIndex();
    return {.format = ImageFormat::Ix2,
            .totalBlocks = image.m_nSplitBlocks,
            .stripExtra = 3,
            .lengthMs = image.SplitMs(),
            .fileMs = image.FileMs(),
            .start = image.SplitStartTime(),
            .identity = chain ? ChainIdentity(image.GetUnitId(), image.GetFileNumber(),
                                              image.m_strSnapUnitId, image.m_nSnapFileNumber)
                              : PlainIdentity(image.GetUnitId(), image.GetFileNumber()),
            .headerBad = image.m_bHeaderBad,
            .complete = image.IsComplete(),
            .split = SplitValues{.first = image.m_nSplitFirst,
                                 .last = image.m_nSplitLast,
                                 .blocks = image.m_nSplitBlocks,
                                 .whole = image.IsWholeSplit(),
                                 .chain = chain}};
}

}  // namespace tvx
