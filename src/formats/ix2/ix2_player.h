#pragma once

#include "formats/im2/im2_player.h"
#include "formats/ix2/ix2.h"
#include "formats/ix2/ix2_details.h"

namespace tvx {

// IX2's open failure, in the IX2 reader's own words.
inline constexpr const char* kIx2OpenFailure =
    "Error - Failed to open the file:\n\n%s\n\nPlease ensure that it is not in use\n"
    "by another program.";

// An IX2 image read by the IX2 rules: it counts its split instead of the recording, and a
// chain shows the outer image's identity beside its own.
class Ix2Player final : public Im2Player {
public:
    explicit Ix2Player(const PlaybackSetup& setup);

    std::uint32_t StripExtra() const override { return 3; }   // the three index blocks

    std::uint64_t TotalBlocks() const override { return m_ix2.m_nSplitBlocks; }
    std::int64_t TotalMs() const override { return m_ix2.SplitMs(); }
    std::string LengthText() const override { return FormatMs(TotalMs()); }
    std::int64_t SeekSpanMs() const override { return FileMs(); }
    TimelineSpan Timeline() const override;

    PlayPosition Position() const override;
    std::int64_t PlayedMs() const override { return m_ix2.SplitPlayedMs(); }
    IdentityTexts Identity() const override;
    DetailsFields Details() const override { return Ix2Details(m_ix2); }

private:
    CIx2& m_ix2;   // the reader of the player it is
};

}  // namespace tvx
