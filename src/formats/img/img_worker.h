#pragma once

#include "core/file64.h"
#include "formats/img/img.h"
#include "play/reader_worker.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tvx {

// The worker of a CImg: the shared cycle with the IMG steps, the spare request as its own,
// and its own copy of the record state, which it hands to the reader at every open.
class ImgWorker : public ReaderWorker {
public:
    ImgWorker(ImgCommand& command, CImg& image);

private:
    bool OpenImage(const std::string& path) override;
    void OpenFailed(const std::string& path) override;
    DeviceFormat FormatOfDevice() const override { return {m_img.m_nSampleRate, 8, 1}; }
    void HandOver() override;
    bool ReadPlayBlock() override;
    std::span<const std::uint8_t> DecodePlayBlock(double gain) override;
    void ReturnToStart() override;   // record 1 buffered, the file and the counter on it
    void ScanImage() override;
    bool PendingSeekLands() const override { return SeekLands(m_cmd.m_nSeekTarget.load()); }
    void TakeSeek() override;
    void TakeOwnRequests() override;
    void ForgetOwnRequests() override { m_cmd.m_bSpareReq.store(false); }
    void PublishState() override;

    bool SeekLands(std::uint32_t target) const;
    void Report(std::uint32_t index, std::uint32_t flags) const;
    std::uint64_t AudioEnd() const { return std::uint64_t{m_img.m_nRecordCount} * kRecordSize; }

    ImgCommand& m_cmd;
    CImg& m_img;   // the worker's own record state
    std::array<std::uint8_t, kImg5Samples> m_samples{};
};

}  // namespace tvx
