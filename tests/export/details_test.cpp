#include "export/details.h"

#include "export_support.h"
#include "formats/ix2/ix2_source.h"
#include "synth/ix2_synth.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

// The window opens an IX2 file holding index block 0 alone, which the command line refuses:
// its details are only seen here.
TEST(Ix2Details, WhatTheFileCannotHoldShowsAsUnknown) {
    test::TempDir dir;
    synth::Ix2Options cut;
    cut.cutTo = 1000;
    ASSERT_TRUE(synth::WriteIx2File(dir / "F00012.IX2", cut));
    Ix2Source source;
    EXPECT_FALSE(source.Open(dir / "F00012.IX2"));
    EXPECT_EQ(Ix2Details(source.Reader()).details,
              "---Recording---\r\nDetails unknown\r\n\r\n---This Split File---\r\nDetails unknown\r\n");
}

}  // namespace
}  // namespace tvx
