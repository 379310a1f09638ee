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
        m_reader.SeekMs(ms);
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
        m_reader.SeekToTime(static_cast<std::int32_t>(std::min<std::int64_t>(ms, INT32_MAX)));
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
