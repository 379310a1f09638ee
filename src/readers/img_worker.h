#pragma once

#include "audio/wave_play.h"
#include "core/file64.h"
#include "readers/img.h"

#include <array>
#include <memory>
#include <vector>

namespace tvx {

// The worker of a CImg: cycle after cycle until asked to quit, each taking the pending
// requests in a fixed order. It owns the file, the device and its own copy of the record
// state, which it hands to the reader at every open; it shares only the command block.
class ImgWorker {
public:
    ImgWorker(ImgCommand& command, CImg& image);
    ImgWorker(const ImgWorker&) = delete;
    ImgWorker& operator=(const ImgWorker&) = delete;

    void Run();

private:
    void Cycle();
    void TakeOpenRequest();
    bool OpenImage(const std::string& path);
    void PlayStep();
    void Scan();
    void BackToFirst();   // record 1 buffered, the file and the counter on it
    void SeekToRecord(std::uint32_t target);
    bool SeekLands(std::uint32_t target) const;
    bool OutputWillBeReset() const;
    void ResetDevice();
    void RefreshQueued();
    void Report(std::uint32_t index, std::uint32_t flags) const;
    void Publish();
    void Done(std::atomic<bool>& request);
    void ForgetRequests();
    void DropFile();
    std::uint64_t AudioEnd() const { return std::uint64_t{m_img.m_nRecordCount} * kRecordSize; }

    ImgCommand& m_cmd;
    CImg& m_img;   // the worker's own record state
    CFile64 m_file;
    std::unique_ptr<CWavePlay> m_wave;
    std::array<std::uint8_t, kImg5Samples> m_samples{};
};

}  // namespace tvx
