#pragma once

#include "synth/signal_source.h"
#include "synth/synth.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tvx::synth {

// Makes an image record by record, in file order, with its faults: memory stays constant
// whatever the length, and any record can be made on its own.
class ImageBuilder {
public:
    ImageBuilder(const Im2Options& options, std::span<const Fault> faults);

    std::uint64_t RecordCount() const { return std::uint64_t{m_options.blocks} + 1; }
    std::uint64_t Size() const;

    // Record `position` of the file (0 is the header) into out; returns how many of its bytes
    // belong to the image, less than 528 only for a cut last record.
    std::size_t RecordAt(std::uint64_t position, Record& out) const;

    Record Header() const;
    Record Data(std::uint32_t index) const;   // untouched data record `index`

private:
    bool HasFault(FaultKind kind, std::uint64_t dataPosition) const;
    std::uint32_t SourceOf(std::uint32_t dataPosition) const;
    std::size_t KeptOfLast() const;
    Record Seal(std::uint32_t index, const TrailerFields& fields) const;
    TrailerFields Fields(std::uint32_t blockIndex) const;

    Im2Options m_options;
    std::vector<Fault> m_faults;
    Layout m_layout;
    SignalSource m_signal;
    std::uint8_t m_formatByte;
};

}  // namespace tvx::synth
