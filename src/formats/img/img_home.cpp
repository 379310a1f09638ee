#include "formats/img/img_home.h"

#include "core/file64.h"
#include "formats/img/authenticate_img.h"
#include "formats/img/convert_img.h"
#include "formats/img/img_details.h"
#include "formats/pass_reads.h"

#include <memory>

namespace tvx {

namespace {

// Block j is record j + 1, decoded as the reader plays it.
class ImgBlocks final : public BlockSource {
public:
    std::optional<Error> Open(const std::string& path) {
        CFileException failure;
        if (!m_file.Open(path, kGenericRead, kShareRead | kShareWrite, kOpenExisting, &failure))
            return failure.ToError();
        m_file.ReadFull(m_img.m_record.data(), kRecordSize);
        m_img.ParseReference();
        m_img.m_nRecordCount = m_img.CountRecords(m_file);
        return std::nullopt;
    }
    std::uint32_t Blocks() const override { return m_img.m_nRecordCount; }
    int OutputBits() const override { return 8; }
    int Channels() const override { return 1; }
    bool Decode(std::uint64_t j, std::array<std::uint8_t, kMaxDecodedBytes>& out,
                std::uint16_t& count) override {
        m_file.SeekTo((j + 1) * kRecordSize);
        if (m_file.ReadFull(m_img.m_record.data(), kRecordSize) != kRecordSize)
            return false;
        m_img.DecodeRecord(out, &count);
        return true;
    }

private:
    CFile64 m_file;
    CImg m_img;
};

class ImgFormatHome final : public FormatHome {
public:
    Result<OpenedImage> Open(const std::string& path) const override {
        CFile64 file;
        CImg image;
        if (auto failed = OpenImg(file, path, image))
            return *failed;
        return OpenedImg(image);
    }
    Result<AuthReport> Authenticate(const std::string& path, Hooks& hooks, AuthTally& tally,
                                    std::size_t pieceRecords) const override {
        return AuthenticateImg(path, hooks, tally, pieceRecords);
    }
    ConvertResult Convert(const ConvertRequest& request, Hooks& hooks) const override {
        return ConvertImg(request, hooks);
    }
    Result<DetailsFields> Details(const std::string& path) const override {
        CFile64 file;
        CImg image;
        if (auto failed = OpenImg(file, path, image))
            return *failed;
        return ImgDetails(image);
    }
    OpenedBlocks OpenBlocks(const std::string& path) const override {
        return OpenBlocksOf<ImgBlocks>(path);
    }
    Result<SourceShape> Shape(const std::string& path) const override {
        return homes::Caught<SourceShape>(path, [&path]() -> Result<SourceShape> {
            CFile64 file;
            CImg img;
            if (auto failed = OpenImg(file, path, img))
                return *failed;
            // Record 1 is the conversion's header, whose own checks it drops; verify judges it.
            return SourceShape{.structureSound = !IsIrregular(img.CheckRecord()),
                               .exactLength = ImgExcessBytes(file.GetLength()) == 0,
                               .blocks = img.m_nRecordCount > 0 ? img.m_nRecordCount - 1 : 0u};
        });
    }
};

}  // namespace

const FormatHome& ImgHome() {
    static const ImgFormatHome home;
    return home;
}

OpenedImage OpenedImg(const CImg& image) {
    return {.format = ImageFormat::Img,
            .totalBlocks = image.m_nRecordCount,
            .stripExtra = 0,
            .lengthMs = image.GetLengthMs(),
            .fileMs = image.GetLengthMs(),
            .start = std::nullopt,
            .identity = ImgIdentity(image.m_nRefUnitId, image.m_nRefFileNumber),
            .headerBad = false,
            .complete = true,
            .split = std::nullopt};
}

}  // namespace tvx
