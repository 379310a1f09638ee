#pragma once

#include "audio/wave_play.h"
#include "core/file64.h"
#include "core/im2.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tvx {

// The worker of a reader built for playback: cycle after cycle until asked to quit, each
// taking the pending requests in a fixed order. From the reader's construction on it alone
// touches the file, the sound device and the reader's image state; the window thread reads
// what it publishes. The IM2 rules are here; the IX2 worker overrides the steps that differ.
class Im2Worker {
public:
    explicit Im2Worker(CIm2& reader);
    virtual ~Im2Worker();
    Im2Worker(const Im2Worker&) = delete;
    Im2Worker& operator=(const Im2Worker&) = delete;

    void Run();

protected:
    // --- the steps of one kind of image; any of them may throw CFileException
    // Opens the file read-only and sets the image state as at opening; false leaves no file.
    virtual bool OpenImage(const std::string& path);
    virtual void CloseImage();   // never throws
    virtual bool IsImageOpen() const { return m_file.IsOpen(); }
    // The next block to play into m_block; false at the end of the audio.
    virtual bool ReadPlayBlock();
    // The first block into m_block, the file and the block counter on it.
    virtual void ReturnToStart();
    // Block `target` (0 the first audio block); a target past the end is dropped.
    virtual void SeekToBlock(std::uint64_t target);
    virtual void ScanImage();
    // The header records again, through the callback.
    virtual void ReportHeader();
    // Block number of the first audio block: the callback's index 0.
    virtual std::uint32_t FirstBlock() const { return 0; }

    // --- for the steps
    void Report(std::int32_t index, BlockStatus status) const;
    std::int32_t IndexOf(std::uint32_t block) const {
        return static_cast<std::int32_t>(block - FirstBlock());
    }
    // A scan goes on while its flag stays set and the worker need not end.
    bool ScanGoesOn() const;
    void ResetDevice();   // and nothing queued any more
    void Publish();
    void Done(std::atomic<bool>& request);   // publishes, then clears the request
    static std::uint32_t ReadFull(CFile64& file, void* to, std::uint32_t count);

    // A megabyte a read: the reads, not the checks, are what a scan spends its time on. The
    // records are judged in the same order, and a stop is seen after every read all the same.
    static constexpr std::size_t kScanRecords = 2048;

    CIm2& m_reader;
    Im2Command& m_cmd;
    CFile64 m_file;
    std::vector<std::uint8_t> m_piece;   // one scan read

private:
    void Cycle();
    void TakeOpenRequest();
    void PlayStep();
    void DropFile();
    void ForgetRequests();
    void RefreshQueued();
    void NoteUnit();
    void MakeDevice();

    std::unique_ptr<CWavePlay> m_wave;
    std::array<std::uint8_t, 3000> m_decoded{};
    std::uint32_t m_unitKey = ~0u;   // ModelCode and UnitNumber of m_strUnitId's block
};

}  // namespace tvx
