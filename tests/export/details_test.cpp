// What the Details dialog and `tessivox-cli details` show of each format, verbatim.
#include "test_support.h"
#include "formats/home_of.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace tvx {
namespace {

auto Fields(const DetailsFields& f) {
    return std::tie(f.formatName, f.unitText, f.number, f.sampleRate, f.channels, f.bits, f.details);
}

TEST(Details, EachFormatShowsItsIdentityAndTimes) {
    const test::TempDir dir;
    const synth::Fault cut{synth::FaultKind::TruncateLast, 300};
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> write;
        DetailsFields expected;
    };
    const Case cases[] = {
        // 4,000 blocks of 256 samples at 8 kHz, the last cut short: 128 s stated, not complete.
        {"F00012.IM2",
         [&](const std::string& p) { return synth::WriteIm2File(p, {.blocks = 4000}, {&cut, 1}); },
         {"IM2", "QM-04242", "12", "8000", "1", "16",
          "Recording:\r\nStart:\tFri, 14 Mar 2008, 09:26:53\r\nDuration:\t0:02:08\r\nComplete:\tNO\r\n"}},
        // Blocks 100-159 of a 5,001-block recording, chained inside unit 777's image 3.
        {"S00012.IX2",
         [](const std::string& p) {
             return synth::WriteIx2File(p, {.audio = {.blocks = 60}, .chain = true, .splitFirst = 100,
                                            .recordingLast = 5000});
         },
         {"IX2 chain", "QM-04242 (slave QM-00777)", "12 (slave 3)", "8000", "1", "16",
          "---Recording---\r\nStart:\tFri, 14 Mar 2008, 09:26:53\r\n\t(slave Fri, 14 Mar 2008, 09:20:00)\r\n"
          "Duration:\t0:02:40\r\nComplete:\tNO\r\n\r\n---This Split File---\r\n"
          "Start:\tFri, 14 Mar 2008, 09:26:56\r\nDuration:\t0:00:01\r\nComplete:\tYES\r\n"}},
        {"V00007.IMG",
         [](const std::string& p) { return synth::WriteImgFile(p, {.bits = 5, .records = 300}); },
         {"IMG", "QL-1A2B", "7", "8000", "1", "5", "Duration:\t0:00:30\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / c.name;
        ASSERT_TRUE(c.write(path));
        const Result<DetailsFields> shown = HomeFor(path).Details(path);
        ASSERT_TRUE(shown);
        EXPECT_EQ(Fields(*shown), Fields(c.expected));
    }
}

}  // namespace
}  // namespace tvx
