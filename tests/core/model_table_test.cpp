// The model table: compressions, models, which pairs decode, and the unit ID text.

#include "core/model_table.h"

#include <gtest/gtest.h>

#include <map>

namespace tvx {
namespace {

TEST(ModelTable, RowsAndCodesOutsideTheTable) {
    const std::map<int, std::pair<int, int>> kRows = {
        {4, {1, 4}},   {6, {1, 6}},   {31, {1, 31}},  {37, {2, 5}},   {63, {2, 31}},
        {69, {3, 5}},  {101, {4, 5}}, {102, {5, 4}},  {103, {5, 6}},  {104, {5, 31}},
        {133, {6, 5}}, {165, {7, 5}}, {197, {8, 5}},  {224, {9, 5}},  {225, {9, 31}},
    };
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        const auto c = static_cast<std::uint8_t>(code);
        const auto row = kRows.find(code);
        if (row == kRows.end()) {
            EXPECT_EQ(ModelOf(c), 0);
            EXPECT_EQ(CompressionOf(c), 4);
            EXPECT_FALSE(IsCompressionSupported(c));
            continue;
        }
        EXPECT_EQ(ModelOf(c), row->second.first);
        EXPECT_EQ(CompressionOf(c), row->second.second);
        EXPECT_TRUE(IsCompressionSupported(c));   // every row is a supported pair
    }
}

TEST(ModelTable, UnitIdText) {
    EXPECT_EQ(FormatUnitId(165, 42), "QM7-00042");
    EXPECT_EQ(FormatUnitId(101, 7), "QM9-00007");
    EXPECT_EQ(FormatUnitId(133, 1), "QM8-00001");
    EXPECT_EQ(FormatUnitId(0, 123), "00123");
    EXPECT_EQ(FormatUnitId(4, 0), "QM-00000");
    EXPECT_EQ(FormatUnitId(37, 65535), "QN-65535");
    EXPECT_EQ(FormatUnitId(69, 57920), "QP-57920");
    EXPECT_EQ(FormatUnitId(104, 9), "QR-00009");
    EXPECT_EQ(FormatUnitId(197, 10), "QS-00010");
    EXPECT_EQ(FormatUnitId(225, 34463), "QT-34463");
    EXPECT_STREQ(ModelPrefix(0), "");
    EXPECT_STREQ(ModelPrefix(10), "");
    EXPECT_STREQ(ModelPrefix(-1), "");
}

}  // namespace
}  // namespace tvx
