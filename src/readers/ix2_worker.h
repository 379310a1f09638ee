#pragma once

#include "core/im2_worker.h"
#include "readers/ix2.h"
#include "readers/ix2_source.h"

#include <memory>

namespace tvx {

// The worker of a CIx2: IX2 files through an Ix2Source (plain or chain), a name ending in IM2
// by the IM2 rules. A chain streams its inner blocks from play step to play step and
// positions afresh only on a seek, a stop or the end.
class Ix2Worker : public Im2Worker {
public:
    explicit Ix2Worker(CIx2& reader);

protected:
    bool OpenImage(const std::string& path) override;
    void CloseImage() override;
    bool IsImageOpen() const override;
    bool ReadPlayBlock() override;
    void ReturnToStart() override;
    void SeekToBlock(std::uint64_t target) override;
    void ScanImage() override;
    void ReportHeader() override;
    std::uint32_t FirstBlock() const override;

private:
    bool IsIx2() const { return m_source != nullptr; }
    // Index blocks 0, 1, 2 as the file holds them now, reported as -3, -2, -1.
    void ReportIndexBlocks();
    void ScanRecord(RecordView record);
    void CheckAudioBlock();

    CIx2& m_ix2;
    std::unique_ptr<Ix2Source> m_source;   // null while no IX2 file is open
};

}  // namespace tvx
