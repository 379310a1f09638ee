#pragma once

#include "core/file64.h"
#include "formats/im2/im2.h"
#include "play/reader_worker.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tvx {

// The worker of an IM2 reader: the shared cycle with the IM2 steps, Rewind as its own
// request, and its own copy of the image state. The IX2 worker overrides the steps that differ.
class Im2Worker : public ReaderWorker {
public:
    Im2Worker(Im2Command& command, CIm2& image);

protected:
    bool OpenImage(const std::string& path) override;
    DeviceFormat FormatOfDevice() const override;
    void Opened() override { ForgetUnit(); }
    void HandOver() override;
    bool ReadPlayBlock() override;
    std::span<const std::uint8_t> DecodePlayBlock(double gain) override;
    void ReturnToStart() override;
    void ScanImage() override;
    bool PendingSeekLands() const override { return SeekLands(m_cmd.m_nSeekBlock.load()); }
    void TakeSeek() override { SeekToBlock(m_cmd.m_nSeekBlock.load()); }
    void TakeOwnRequests() override;
    void ForgetOwnRequests() override;
    void PublishState() override;

    // --- the steps an IX2 file takes its own way
    // A seek to `target` would land on a block (and so reset the device).
    virtual bool SeekLands(std::uint64_t target) const;
    // Block `target` (0 the first audio block); a target past the end is dropped.
    virtual void SeekToBlock(std::uint64_t target);
    virtual void HandOverTo(CIm2& reader) const { reader = m_reader; }
    // The header records again, through the callback.
    virtual void ReportHeader();
    // Block number of the first audio block: the callback's index 0.
    virtual std::uint32_t FirstBlock() const { return 0; }

    void Report(std::int32_t index, BlockStatus status) const;
    std::int32_t IndexOf(std::uint32_t block) const {
        return static_cast<std::int32_t>(block - FirstBlock());
    }
    // The unit ID text anew from the image state, published.
    void ForgetUnit();

    Im2Command& m_cmd;
    CIm2& m_reader;   // the worker's own image state

private:
    void NoteUnit();

    std::array<std::uint8_t, 3000> m_decoded{};
    std::uint32_t m_unitKey = ~0u;   // ModelCode and UnitNumber of m_strUnitId's block
};

}  // namespace tvx
