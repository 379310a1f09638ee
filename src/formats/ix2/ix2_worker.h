#pragma once

#include "formats/im2/im2_worker.h"
#include "formats/ix2/ix2.h"
#include "formats/ix2/ix2_source.h"

#include <memory>

namespace tvx {

// The worker of a CIx2: IX2 files through an Ix2Source (plain or chain), a name ending in IM2
// by the IM2 rules. A chain's play step finds every inner block from its number; the source
// goes on from the block before only when that is where its stream stands.
class Ix2Worker : public Im2Worker {
public:
    Ix2Worker(Im2Command& command, CIx2& image);

protected:
    bool OpenImage(const std::string& path) override;
    void CloseImage() override;
    bool IsImageOpen() const override;
    bool ReadPlayBlock() override;
    void ReturnToStart() override;
    void StopAtStart() override;
    bool SeekLands(std::uint64_t target) const override;
    void SeekToBlock(std::uint64_t target) override;
    void ScanImage() override;
    void ReportHeader() override;
    void HandOverTo(CIm2& reader) const override;
    std::uint32_t FirstBlock() const override;

private:
    bool IsIx2() const { return m_source != nullptr; }
    // The image state of the source's audio image, as at an open.
    void TakeSourceState();
    // Index blocks 0, 1, 2 as the file holds them now, reported as -3, -2, -1.
    void ReportIndexBlocks();

    CIx2& m_ix2;
    std::unique_ptr<Ix2Source> m_source;   // null while no IX2 file is open
};

}  // namespace tvx
