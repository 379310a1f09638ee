#pragma once

#include <cstdint>
#include <string>

namespace tvx {

// What a player says of its image in words: who recorded it, where playback stands, how
// long it is.

inline constexpr const char* kDateLineFormat = "%a, %d %b %Y, %H:%M:%S";

// IMG images carry no date: the play time as hours of the day, minutes, seconds.
std::string ElapsedText(std::int64_t playMs);

// A length taken as 32-bit first, as IM2 and IMG show it at a load: past 2^31 ms it wraps.
std::string WrappedLengthText(std::int64_t ms);

// Unit ID and file number; a chain shows the outer image's identity as the slave's.
struct IdentityTexts {
    std::string unitId;
    std::string fileNumber;
};
IdentityTexts PlainIdentity(const std::string& unitId, std::uint32_t fileNumber);
IdentityTexts ChainIdentity(const std::string& unitId, std::uint32_t fileNumber,
                            const std::string& slaveUnitId, std::uint32_t slaveFileNumber);
IdentityTexts ImgIdentity(std::uint32_t unitNumber, std::uint32_t fileNumber);

}  // namespace tvx
