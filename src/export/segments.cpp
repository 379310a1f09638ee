#include "export/segments.h"

#include "core/format.h"

#include <algorithm>

namespace tvx {

void AddToCounters(SegmentCounters& counters, BlockStatus status) {
    if (status & kFileNumberError)
        ++counters[kSlotFileNumber];
    if (status & kUnitIdError)
        ++counters[kSlotUnitId];
    if (status & kTimestampError)
        ++counters[kSlotTimestamp];
    if (status & kBlockOrderError)
        ++counters[kSlotBlockOrder];
    if (status & kChecksumError)
        ++counters[kSlotChecksum];
    if (status & kVoiceImageError)
        ++counters[kSlotVoiceImage];
    ++counters[kSlotTotal];
}

std::uint32_t SegmentByteLimit(int channels, int outputBits, int sampleRate,
                               std::uint16_t megabytes, std::uint16_t minutes) {
    // Worked in 64 bits: 65,535 minutes of stereo 22 kHz is far past 32 bits.
    std::uint64_t limit = 0;
    if (minutes != 0 && sampleRate > 0)
        limit = static_cast<std::uint64_t>(channels) * static_cast<std::uint64_t>(outputBits / 8) *
                static_cast<std::uint64_t>(sampleRate) * minutes * 60;
    // A rate of 0 (an IMG image can name one) gives no time to cut by.
    if (limit == 0 && megabytes != 0)
        limit = std::uint64_t{megabytes} * 1048576;
    if (limit == 0)
        limit = kMaxSegmentBytes;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(limit, kMaxSegmentBytes));
}

std::string SegmentNames::WavPath(std::uint16_t index) const {
    return Format("%s%s.%02u.wav", folder.c_str(), name.c_str(), unsigned{index});
}

std::string SegmentNames::TextPath(std::uint16_t index) const {
    return Format("%s%s.%02u.txt", folder.c_str(), name.c_str(), unsigned{index});
}

std::optional<std::uint16_t> SegmentNames::SegmentOf(const std::string& fileName) const {
    const std::string prefix = name + ".";
    if (fileName.size() < prefix.size() + 6 || !fileName.starts_with(prefix) ||
        !(fileName.ends_with(".wav") || fileName.ends_with(".txt")))
        return std::nullopt;
    const std::string digits = fileName.substr(prefix.size(), fileName.size() - prefix.size() - 4);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long index = std::stoul(digits);
    if (index > 0xFFFF || Format("%02u", static_cast<unsigned>(index)) != digits)
        return std::nullopt;
    return static_cast<std::uint16_t>(index);
}

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

SegmentNames NameSegments(const std::string& sourcePath, const std::string& folder) {
    const std::string base = sourcePath.substr(0, sourcePath.size() - std::min<std::size_t>(4, sourcePath.size()));
    SegmentNames names{folder, FileNameOf(base)};
    if (names.folder.empty() || names.folder.back() != '/')
        names.folder += '/';
    return names;
}

}  // namespace tvx
