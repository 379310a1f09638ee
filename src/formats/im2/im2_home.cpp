#include "formats/im2/im2_home.h"

#include "core/file64.h"
#include "formats/im2/authenticate_im2.h"
#include "formats/im2/convert_im2.h"
#include "formats/im2/im2_details.h"
#include "formats/im2/im2_header.h"
#include "formats/pass_reads.h"

#include <memory>

namespace tvx {

namespace {

// Block j is record j + 1; the header is read as the peaks pass always read it, without the
// reader's length and header verdicts, which the waveform does not need.
class Im2Blocks final : public BlockSource {
public:
    std::optional<Error> Open(const std::string& path) {
        CFileException failure;
        if (!m_file.Open(path, kGenericRead, kShareRead | kShareWrite, kOpenExisting, &failure))
            return failure.ToError();
        if (m_file.ReadFull(m_image.m_block.data(), kRecordSize) == kRecordSize)
            m_image.InitFromHeader();
        return std::nullopt;
    }
    std::uint32_t Blocks() const override { return m_image.m_nStatedBlocks; }
    int OutputBits() const override { return m_image.m_nOutputBits; }
    int Channels() const override { return m_image.GetChannels(); }
    bool Decode(std::uint64_t j, std::array<std::uint8_t, kMaxDecodedBytes>& out,
                std::uint16_t& count) override {
        m_file.SeekTo((j + 1) * kRecordSize);
        if (m_file.ReadFull(m_image.m_block.data(), kRecordSize) != kRecordSize)
            return false;
        m_image.m_nBlock = static_cast<std::uint32_t>(j);
        m_image.Decode(out, &count);
        return true;
    }

private:
    CFile64 m_file;
    CIm2 m_image;
};

class Im2FormatHome final : public FormatHome {
public:
    Result<OpenedImage> Open(const std::string& path) const override {
        CIm2 image;
        if (auto failed = LoadIm2Header(path, image))
            return *failed;
        return OpenedIm2(image);
    }
    Result<AuthReport> Authenticate(const std::string& path, Hooks& hooks, AuthTally& tally,
                                    std::size_t pieceRecords) const override {
        return AuthenticateIm2(path, hooks, tally, pieceRecords);
    }
    ConvertResult Convert(const ConvertRequest& request, Hooks& hooks) const override {
        return ConvertIm2(request, hooks);
    }
    Result<DetailsFields> Details(const std::string& path) const override {
        CIm2 image;
        if (auto failed = LoadIm2Header(path, image))
            return *failed;
        return Im2Details(image);
    }
    OpenedBlocks OpenBlocks(const std::string& path) const override {
        return OpenBlocksOf<Im2Blocks>(path);
    }
    Result<SourceShape> Shape(const std::string& path) const override {
        return homes::Caught<SourceShape>(path, [&path]() -> Result<SourceShape> {
            CFile64 file;
            CIm2 image;
            if (auto failed = OpenImage(file, path))
                return *failed;
            if (auto failed = LoadIm2Header(file, path, image))
                return *failed;
            return SourceShape{
                .structureSound = !image.m_bHeaderBad,
                .exactLength = image.IsComplete() &&
                               Im2ExcessBytes(file.GetLength(), image.m_nStatedBlocks) == 0,
                .blocks = image.m_nStatedBlocks};
        });
    }
};

}  // namespace

const FormatHome& Im2Home() {
    static const Im2FormatHome home;
    return home;
}

OpenedImage OpenedIm2(const CIm2& image) {
    return {.format = ImageFormat::Im2,
            .totalBlocks = image.m_nStatedBlocks,
            .stripExtra = 1,
            .lengthMs = image.StatedMs(),
            .fileMs = image.StatedMs(),
            .start = image.StartTime(),
            .identity = PlainIdentity(image.GetUnitId(), image.GetFileNumber()),
            .headerBad = image.m_bHeaderBad,
            .complete = image.IsComplete(),
            .split = std::nullopt};
}

}  // namespace tvx
