#include "cli/player.h"

#include "cli/report_text.h"
#include "core/im2.h"
#include "readers/img.h"
#include "readers/ix2.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace tvx::cli {

namespace {

// Playing starts where the seek put the reader, not a block before it.
template <typename Reader>
void WaitForSeek(const Reader& reader) {
    while (reader.IsSeekPending())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// A time in the last half of the last block rounds to the block past it, whose seek the
// reader drops, and playing would start over from the first block. Such a time is moved back
// to the latest one that still rounds to a block in the file.
template <typename BlockAt>
std::int64_t SeekableMs(std::int64_t ms, std::int64_t lastBlock, BlockAt blockAt) {
    if (lastBlock < 0 || blockAt(ms) <= lastBlock)
        return ms;
    std::int64_t lo = 0;
    std::int64_t hi = ms;
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo + 1) / 2;
        if (blockAt(mid) <= lastBlock)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

// What an IX2 reader counts from its split rather than from the whole recording.
std::int64_t PlayedMsOf(const CIm2& reader) { return reader.PlayedMs(); }
std::int64_t PlayedMsOf(const CIx2& reader) { return reader.SplitPlayedMs(); }
COleDateTime PositionTimeOf(const CIm2& reader) { return reader.PositionTime(); }
COleDateTime PositionTimeOf(const CIx2& reader) { return reader.SplitPositionTime(); }
std::uint32_t BlocksOf(const CIm2& reader) {
    return std::max(reader.m_nFileBlocks, reader.m_nStatedBlocks);
}
std::uint32_t BlocksOf(const CIx2& reader) {
    return std::max<std::uint32_t>(reader.m_nFileBlocks,
                                   static_cast<std::uint32_t>(reader.m_nSplitBlocks));
}

// IM2 and IX2 readers share their request interface.
template <typename Reader>
class BlockPlayer final : public Player {
public:
    BlockPlayer(const PlaybackSetup& setup, BlockCallback onBlock) : m_reader(setup) {
        m_reader.SetBlockCallback(onBlock);
    }
    bool Open(const std::string& path) override { return m_reader.OpenFile(path); }
    void Close() override { m_reader.CloseFile(); }
    void Play() override { m_reader.Play(); }
    void Pause(bool pause) override { m_reader.Pause(pause); }
    void Stop() override { m_reader.Stop(); }
    void Seek(std::int64_t ms) override {
        const std::int64_t last = std::int64_t{m_reader.m_nFileBlocks} - 1;
        m_reader.SeekMs(SeekableMs(ms, last, [this](std::int64_t t) { return m_reader.MsToBlock(t); }));
        WaitForSeek(m_reader);
    }
    bool IsPlaying() const override { return m_reader.IsPlaying(); }
    std::int64_t PositionMs() const override { return PlayedMsOf(m_reader); }
    std::int64_t LengthMs() const override { return m_reader.FileMs(); }
    std::optional<std::string> WallClock() const override {
        return PositionTimeOf(m_reader).Format(kDateFormat);
    }
    std::uint32_t Blocks() const override { return BlocksOf(m_reader); }

private:
    Reader m_reader;
};

class ImgPlayer final : public Player {
public:
    ImgPlayer(const PlaybackSetup& setup, RecordCallback onRecord) : m_reader(setup) {
        m_reader.SetRecordCallback(onRecord);
    }
    bool Open(const std::string& path) override { return m_reader.Open(path); }
    void Close() override { m_reader.Close(); }
    void Play() override { m_reader.Play(); }
    void Pause(bool pause) override { m_reader.Pause(pause); }
    void Stop() override { m_reader.Stop(); }
    void Seek(std::int64_t ms) override {
        const std::int64_t last = m_reader.m_nRecordCount;   // records count from 1
        const std::int64_t at = SeekableMs(std::min<std::int64_t>(ms, INT32_MAX), last,
                                           [this](std::int64_t t) { return m_reader.RecordAtTime(t); });
        m_reader.SeekToTime(static_cast<std::int32_t>(at));
        WaitForSeek(m_reader);
    }
    bool IsPlaying() const override { return m_reader.IsPlaying(); }
    std::int64_t PositionMs() const override { return m_reader.GetPlayTime(); }
    std::int64_t LengthMs() const override { return m_reader.GetLengthMs(); }
    std::optional<std::string> WallClock() const override { return std::nullopt; }
    std::uint32_t Blocks() const override { return m_reader.m_nRecordCount; }

private:
    CImg m_reader;
};

}  // namespace

std::unique_ptr<Player> MakePlayer(ImageFormat format, const PlaybackSetup& setup,
                                   BlockCallback onBlock, RecordCallback onRecord) {
    switch (format) {
    case ImageFormat::Ix2:
        return std::make_unique<BlockPlayer<CIx2>>(setup, onBlock);
    case ImageFormat::Im2:
        return std::make_unique<BlockPlayer<CIm2>>(setup, onBlock);
    case ImageFormat::Img:
        return std::make_unique<ImgPlayer>(setup, onRecord);
    case ImageFormat::None:
        break;
    }
    return nullptr;
}

}  // namespace tvx::cli
