#include "export/file_wave.h"

#include "core/bytes.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ReadBytes;

Bytes Ramp(std::size_t n) {
    Bytes bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

// RIFF size, channels, rate, bytes a second, block alignment, bits and data size.
using Header = std::tuple<std::uint32_t, std::uint16_t, std::uint32_t, std::uint32_t, std::uint16_t, std::uint16_t,
                          std::uint32_t>;
Header HeaderOf(const Bytes& b) {
    return {LoadLe32(b, 4), LoadLe16(b, 22), LoadLe32(b, 24), LoadLe32(b, 28), LoadLe16(b, 32), LoadLe16(b, 34),
            LoadLe32(b, 40)};
}

TEST(FileWave, FormatAndSizesAfterClose) {
    // The format asked, then the bytes a second and the alignment it makes; the data bytes
    // written and the whole seconds they last.
    const std::tuple<std::uint32_t, std::uint16_t, std::uint16_t, std::uint32_t, std::uint16_t, std::uint32_t,
                     std::uint32_t> cases[] = {{8000, 16, 1, 16000, 2, 16001, 1}, {22050, 8, 2, 44100, 2, 88200, 2},
                          {22050, 8, 2, 44100, 2, 88199, 1}, {16000, 16, 2, 64000, 4, 0, 0}};
    test::TempDir dir;
    for (const auto& [rate, bits, channels, bytesPerSecond, align, dataBytes, wholeSeconds] : cases) {
        SCOPED_TRACE(std::to_string(rate) + "/" + std::to_string(bits) + "/" + std::to_string(channels) + " " +
                     std::to_string(dataBytes));
        const Bytes data = Ramp(dataBytes);
        const std::uint32_t half = dataBytes / 2;
        {
            CFileWave wave;
            ASSERT_TRUE(wave.Open(dir / "f.wav", kGenericWrite, kShareRead | kShareWrite, kCreateAlways, nullptr));
            wave.Write(data.data(), half);
            // Stamping the format rewrites the front and leaves the write position alone.
            wave.SetFormat(rate, bits, channels);
            wave.WriteAndSetEnd(data.data() + half, dataBytes - half);
            EXPECT_EQ(wave.GetWholeSeconds(), wholeSeconds);
            EXPECT_DOUBLE_EQ(wave.GetDurationSeconds(), double(dataBytes) / bytesPerSecond);
            EXPECT_EQ(LoadLe32(ReadBytes(dir / "f.wav"), 40), 0u) << "sized before Close";
            wave.Close();
        }
        const Bytes bytes = ReadBytes(dir / "f.wav");
        ASSERT_EQ(bytes.size(), 44u + dataBytes);
        EXPECT_EQ(HeaderOf(bytes),
                  Header(36 + dataBytes, channels, rate, bytesPerSecond, align, bits, dataBytes));
        EXPECT_TRUE(std::equal(data.begin(), data.end(), bytes.begin() + 44));
    }
}

// Found by fuzzing: a header that cannot be written used to throw out of Open, which answers
// by its result.
TEST(FileWave, AHeaderThatCannotBeWrittenIsAFailedOpen) {
    test::TempDir dir;
    CFileWave wave;
    CFileException full;
    {
        const test::FileSizeLimit limit(20);
        EXPECT_FALSE(wave.Open(dir / "new.wav", kGenericWrite, 0, kCreateAlways, &full));
    }
    EXPECT_FALSE(wave.IsOpen());
    EXPECT_EQ(std::tuple(full.m_cause, full.m_strFileName), std::tuple(Cause::DiskFull, dir / "new.wav"));
}

}  // namespace
}  // namespace tvx
