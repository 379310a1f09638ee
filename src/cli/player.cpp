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

class Im2Player final : public Player {
public:
    Im2Player(const PlaybackSetup& setup, BlockCallback onBlock) : m_reader(setup) {
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
    std::int64_t PositionMs() const override { return m_reader.PlayedMs(); }
    std::int64_t LengthMs() const override { return m_reader.FileMs(); }
    std::optional<std::string> WallClock() const override {
        return m_reader.PositionTime().Format(kDateFormat);
    }
    std::uint32_t Blocks() const override {
        return std::max(m_reader.m_nFileBlocks, m_reader.m_nStatedBlocks);
    }

private:
    CIm2 m_reader;
};

class Ix2Player final : public Player {
public:
    Ix2Player(const PlaybackSetup& setup, BlockCallback onBlock) : m_reader(setup) {
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
    std::int64_t PositionMs() const override { return m_reader.SplitPlayedMs(); }
    std::int64_t LengthMs() const override { return m_reader.FileMs(); }
    std::optional<std::string> WallClock() const override {
        return m_reader.SplitPositionTime().Format(kDateFormat);
    }
    std::uint32_t Blocks() const override {
        return std::max<std::uint32_t>(m_reader.m_nFileBlocks,
                                       static_cast<std::uint32_t>(m_reader.m_nSplitBlocks));
    }

private:
    CIx2 m_reader;
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
        return std::make_unique<Ix2Player>(setup, onBlock);
    case ImageFormat::Im2:
        return std::make_unique<Im2Player>(setup, onBlock);
    case ImageFormat::Img:
        return std::make_unique<ImgPlayer>(setup, onRecord);
    case ImageFormat::None:
        break;
    }
    return nullptr;
}

}  // namespace tvx::cli
