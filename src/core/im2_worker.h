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
// taking the pending requests in a fixed order. It owns the file, the sound device and its
// own copy of the image state, which it hands to the reader at every open; the window thread
// reads what it publishes. It shares only the command block with the reader, so a worker the
// reader's destructor had to leave behind never touches the reader. The IM2 rules are here;
// the IX2 worker overrides the steps that differ.
class Im2Worker {
public:
    Im2Worker(Im2Command& command, CIm2& image);
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
    // A stop: the start of the file read again as at opening, then as ReturnToStart.
    virtual void StopAtStart() { ReturnToStart(); }
    // A seek to `target` would land on a block (and so reset the device).
    virtual bool SeekLands(std::uint64_t target) const;
    // The reader takes the image state, as the window reads it after an open.
    virtual void HandOver(CIm2& reader) const { reader = m_reader; }
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
    // The unit ID text anew from the image state, published.
    void ForgetUnit();
    void Publish();
    void Done(std::atomic<bool>& request);   // publishes, then clears the request
    static std::uint32_t ReadFull(CFile64& file, void* to, std::uint32_t count);

    Im2Command& m_cmd;
    CIm2& m_reader;   // the worker's own image state
    CFile64 m_file;

private:
    void Cycle();
    void TakeOpenRequest();
    void PlayStep();
    void DropFile();
    void ForgetRequests();
    void RefreshQueued();
    void NoteUnit();
    void MakeDevice();
    bool OutputWillBeReset() const;

    std::unique_ptr<CWavePlay> m_wave;
    std::array<std::uint8_t, 3000> m_decoded{};
    std::uint32_t m_unitKey = ~0u;   // ModelCode and UnitNumber of m_strUnitId's block
};

}  // namespace tvx
