#include "analysis/peaks.h"

#include "core/file64.h"
#include "core/format.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tvx {

namespace {

constexpr const char* kBuildingPeaks = "Building Peaks...";

std::uint16_t PeakToPeak(int maximum, int minimum) {
    return static_cast<std::uint16_t>(maximum - minimum);
}

}  // namespace

BlockPeaks PeaksOfBlock(const std::uint8_t* bytes, std::size_t count, int outputBits,
                        int channels) {
    std::array<int, 2> lowest = {32767, 32767};
    std::array<int, 2> highest = {-32768, -32768};
    const std::size_t width = outputBits == 16 ? 2 : 1;
    const std::size_t bands = channels == 2 ? 2 : 1;
    for (std::size_t at = 0, n = 0; at + width <= count; at += width, ++n) {
        const int sample = width == 2
                               ? static_cast<std::int16_t>(bytes[at] | bytes[at + 1] << 8)
                               : (bytes[at] - 128) * 256;
        const std::size_t c = n % bands;
        lowest[c] = std::min(lowest[c], sample);
        highest[c] = std::max(highest[c], sample);
    }
    return {PeakToPeak(highest[0], lowest[0]), PeakToPeak(highest[1], lowest[1])};
}

Peaks BuildPeaks(const std::string& path, OpenedBlocks opened, std::uint16_t width,
                 Hooks& hooks) {
    Peaks peaks;
    peaks.width = width;
    if (!opened) {
        Error failure = opened.GetError();
        failure.path = path;
        hooks.Notice("", Format("Failed to open: %s\n\nCause: %s", path.c_str(),
                                DescribeError(failure).c_str()));
        return peaks;
    }
    const std::unique_ptr<BlockSource>& source = *opened;
    peaks.blocks = source->Blocks();
    const int channels = source->Channels();
    const double step = width == 0 ? 0.0 : static_cast<double>(peaks.blocks) / width;
    peaks.peak1.assign(width, 0);
    peaks.peak2.assign(channels == 2 ? width : 0, 0);

    hooks.SetRange(width);
    hooks.SetPos(0);
    hooks.SetMessage(kBuildingPeaks);
    hooks.ShowProgress(true);
    std::array<std::uint8_t, kMaxDecodedBytes> decoded{};
    std::uint16_t i = 0;
    try {
        for (; i < width; ++i) {
            const auto j = static_cast<std::uint64_t>(std::floor(i * step));
            std::uint16_t count = 0;
            if (!source->Decode(j, decoded, count))
                break;
            hooks.PumpWaitingMessage();
            const BlockPeaks p = PeaksOfBlock(decoded.data(), count, source->OutputBits(), channels);
            peaks.peak1[i] = p.peak1;
            if (channels == 2)
                peaks.peak2[i] = p.peak2;
            if (hooks.IsCancelled()) {
                peaks.cancelled = true;
                break;
            }
            hooks.SetPos(i);
        }
    } catch (const CFileException&) {
        // A file that fails while the peaks are read shows the columns done so far.
    }
    peaks.columnsDone = i;   // a column computed as Cancel came is not shown
    peaks.channels = channels == 1 || channels == 2 ? channels : 0;
    hooks.ShowProgress(false);
    return peaks;
}

}  // namespace tvx
