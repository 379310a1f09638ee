#pragma once

#include "audio/wave_play.h"
#include "core/file64.h"
#include "play/reader_command.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace tvx {

// The worker of a reader built for playback: cycle after cycle until asked to quit, each
// taking the pending requests in one order (open; play a block or idle; scan; stop; pause;
// resume; seek; device reset; then the format's own). It owns the file and the sound device;
// a format's worker owns its copy of the image state, hands it to the reader at every open
// and publishes what the window reads. It shares only the command block with the reader, so
// a worker the reader's destructor had to leave behind never touches the reader.
class ReaderWorker {
public:
    ReaderWorker(const ReaderWorker&) = delete;
    ReaderWorker& operator=(const ReaderWorker&) = delete;

    void Run();

protected:
    // `idleSleep`: how long a cycle sleeps while stopped or paused.
    ReaderWorker(ReaderCommand& command, std::chrono::milliseconds idleSleep);
    virtual ~ReaderWorker();

    struct DeviceFormat {
        std::uint32_t sampleRate;
        std::uint16_t bits;
        std::uint16_t channels;
    };

    // --- the steps of one format; any of them may throw CFileException
    // Opens the file read-only and sets the image state as at opening; false leaves no file.
    virtual bool OpenImage(const std::string& path) = 0;
    virtual void OpenFailed(const std::string& /*path*/) {}
    virtual void CloseImage() { m_file.Abort(); }   // never throws
    virtual bool IsImageOpen() const { return m_file.IsOpen(); }
    virtual DeviceFormat FormatOfDevice() const = 0;
    // After a successful open, once the device has its format.
    virtual void Opened() {}
    // The reader takes the image state, as the window reads it after an open.
    virtual void HandOver() = 0;
    // The next block to play into the image state; false at the end of the audio.
    virtual bool ReadPlayBlock() = 0;
    // Decodes the block just read with `gain`, reports it and counts it: the samples to play.
    virtual std::span<const std::uint8_t> DecodePlayBlock(double gain) = 0;
    // The first block buffered, the file and the counter on it.
    virtual void ReturnToStart() = 0;
    // A stop: as ReturnToStart, unless a format reads its start again.
    virtual void StopAtStart() { ReturnToStart(); }
    virtual void ScanImage() = 0;
    // The pending seek would land on a block (and so reset the device).
    virtual bool PendingSeekLands() const = 0;
    // The pending seek; a target past the end is dropped.
    virtual void TakeSeek() = 0;
    // The requests only this format has, after the shared ones, and their forgetting.
    virtual void TakeOwnRequests() = 0;
    virtual void ForgetOwnRequests() = 0;
    // What the window reads of the image state, beside the queued time.
    virtual void PublishState() = 0;

    // --- for the steps
    // A scan goes on while its flag stays set and the worker need not end.
    bool ScanGoesOn() const;
    void MakeDevice();
    void ResetDevice();   // and nothing queued any more
    void Publish();
    void Done(std::atomic<bool>& request);   // publishes, then clears the request

    CFile64 m_file;

private:
    void Cycle();
    void TakeOpenRequest();
    void PlayStep();
    void ForgetRequests();
    void DropFile();
    void RefreshQueued();
    void DropDevice();
    bool OutputWillBeReset() const;

    ReaderCommand& m_requests;
    const std::chrono::milliseconds m_idleSleep;
    std::unique_ptr<CWavePlay> m_wave;
    std::int32_t m_queuedMs = 0;   // the device's queued time, refreshed around every write
};

}  // namespace tvx
