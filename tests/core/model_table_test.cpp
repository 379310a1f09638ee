// The model table: compressions, models, which pairs decode, and the unit ID text.

#include "core/model_table.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

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
    const std::tuple<int, int, const char*> kIds[] = {
        {165, 42, "QM7-00042"}, {101, 7, "QM9-00007"},   {133, 1, "QM8-00001"},
        {0, 123, "00123"},      {4, 0, "QM-00000"},       {37, 65535, "QN-65535"},
        {69, 57920, "QP-57920"}, {104, 9, "QR-00009"},    {197, 10, "QS-00010"},
        {225, 34463, "QT-34463"},
    };
    for (const auto& [model, unit, text] : kIds)
        EXPECT_EQ(FormatUnitId(static_cast<std::uint8_t>(model), static_cast<std::uint16_t>(unit)), text);
    for (int model : {0, 10, -1})
        EXPECT_STREQ(ModelPrefix(model), "");
}

}  // namespace
}  // namespace tvx
