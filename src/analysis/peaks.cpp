#include "analysis/peaks.h"

#include "core/file64.h"
#include "core/format.h"
#include "core/im2.h"
#include "readers/img.h"
#include "readers/ix2_source.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace tvx {

namespace {

constexpr const char* kBuildingPeaks = "Building Peaks...";

// Where the blocks of one format come from: their count, their format and block j decoded.
class PeakSource {
public:
    virtual ~PeakSource() = default;
    virtual std::uint32_t Blocks() const = 0;
    virtual int OutputBits() const = 0;
    virtual int Channels() const = 0;
    // Decodes block j into out; false when the file has no whole record for it.
    virtual bool Decode(std::uint64_t j, std::array<std::uint8_t, kMaxDecodedBytes>& out,
                        std::uint16_t& count) = 0;
};

std::uint32_t ReadFull(CFile64& file, std::uint8_t* to, std::uint32_t count) {
    std::uint32_t got = 0;
    while (got < count) {
        const std::uint32_t n = file.Read(to + got, count - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

class Im2PeakSource final : public PeakSource {
public:
    std::optional<Error> Open(const std::string& path) {
        CFileException failure;
        if (!m_file.Open(path, kGenericRead, kShareRead | kShareWrite, kOpenExisting, &failure))
            return failure.ToError();
        if (ReadFull(m_file, m_image.m_block.data(), kRecordSize) == kRecordSize)
            m_image.InitFromHeader();
        return std::nullopt;
    }
    std::uint32_t Blocks() const override { return m_image.m_nStatedBlocks; }
    int OutputBits() const override { return m_image.m_nOutputBits; }
    int Channels() const override { return m_image.GetChannels(); }
    bool Decode(std::uint64_t j, std::array<std::uint8_t, kMaxDecodedBytes>& out,
                std::uint16_t& count) override {
        m_file.SeekTo((j + 1) * kRecordSize);
        if (ReadFull(m_file, m_image.m_block.data(), kRecordSize) != kRecordSize)
            return false;
        m_image.m_nBlock = static_cast<std::uint32_t>(j);
        m_image.Decode(out, &count);
        return true;
    }

private:
    CFile64 m_file;
    CIm2 m_image;
};

class Ix2PeakSource final : public PeakSource {
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

class ImgPeakSource final : public PeakSource {
public:
    std::optional<Error> Open(const std::string& path) {
        CFileException failure;
        if (!m_file.Open(path, kGenericRead, kShareRead | kShareWrite, kOpenExisting, &failure))
            return failure.ToError();
        ReadFull(m_file, m_img.m_record.data(), kRecordSize);
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
        if (ReadFull(m_file, m_img.m_record.data(), kRecordSize) != kRecordSize)
            return false;
        m_img.DecodeRecord(out, &count);
        return true;
    }

private:
    CFile64 m_file;
    CImg m_img;
};

std::unique_ptr<PeakSource> OpenSource(const std::string& path, ImageFormat format,
                                       std::optional<Error>& failure) {
    if (format == ImageFormat::Ix2) {
        auto source = std::make_unique<Ix2PeakSource>();
        failure = source->Open(path);
        return source;
    }
    if (format == ImageFormat::Img) {
        auto source = std::make_unique<ImgPeakSource>();
        failure = source->Open(path);
        return source;
    }
    auto source = std::make_unique<Im2PeakSource>();
    failure = source->Open(path);
    return source;
}

std::uint16_t PeakToPeak(int maximum, int minimum) {
    return static_cast<std::uint16_t>(maximum - minimum);
}

}  // namespace

BlockPeaks PeaksOfBlock(const std::uint8_t* bytes, std::size_t count, int outputBits,
                        int channels) {
    std::array<int, 2> lowest = {32767, 32767};
    std::array<int, 2> highest = {-32768, -32768};
    const std::size_t width = outputBits == 16 ? 2 : 1;
    const std::size_t bands = channels == 2 ? 2 : 1;
    for (std::size_t at = 0, n = 0; at + width <= count; at += width, ++n) {
        const int sample = width == 2
                               ? static_cast<std::int16_t>(bytes[at] | bytes[at + 1] << 8)
                               : (bytes[at] - 128) * 256;
        const std::size_t c = n % bands;
        lowest[c] = std::min(lowest[c], sample);
        highest[c] = std::max(highest[c], sample);
    }
    return {PeakToPeak(highest[0], lowest[0]), PeakToPeak(highest[1], lowest[1])};
}

Peaks BuildPeaks(const std::string& path, ImageFormat format, std::uint16_t width,
                 Hooks& hooks) {
    Peaks peaks;
    peaks.width = width;
    std::optional<Error> failure;
    std::unique_ptr<PeakSource> source = OpenSource(path, format, failure);
    if (failure) {
        failure->path = path;
        hooks.Notice("", Format("Failed to open: %s\n\nCause: %s", path.c_str(),
                                DescribeError(*failure).c_str()));
        return peaks;
    }
    peaks.blocks = source->Blocks();
    const int channels = source->Channels();
    const double step = width == 0 ? 0.0 : static_cast<double>(peaks.blocks) / width;
    peaks.peak1.assign(width, 0);
    peaks.peak2.assign(channels == 2 ? width : 0, 0);

    hooks.SetRange(width);
    hooks.SetPos(0);
    hooks.SetMessage(kBuildingPeaks);
    hooks.ShowProgress(true);
    std::array<std::uint8_t, kMaxDecodedBytes> decoded{};
    std::uint16_t i = 0;
    try {
        for (; i < width; ++i) {
            const auto j = static_cast<std::uint64_t>(std::floor(i * step));
            std::uint16_t count = 0;
            if (!source->Decode(j, decoded, count))
                break;
            hooks.PumpWaitingMessage();
            const BlockPeaks p = PeaksOfBlock(decoded.data(), count, source->OutputBits(), channels);
            peaks.peak1[i] = p.peak1;
            if (channels == 2)
                peaks.peak2[i] = p.peak2;
            if (hooks.IsCancelled()) {
                peaks.cancelled = true;
                break;
            }
            hooks.SetPos(i);
        }
    } catch (const CFileException&) {
        // A file that fails while the peaks are read shows the columns done so far.
    }
    peaks.columnsDone = i;   // a column computed as Cancel came is not shown
    peaks.channels = channels == 1 || channels == 2 ? channels : 0;
    hooks.ShowProgress(false);
    return peaks;
}

}  // namespace tvx
