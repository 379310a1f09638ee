#include "core/model_table.h"

#include "core/format.h"

#include <array>

namespace tvx {
namespace {

struct ModelRow {
    std::uint8_t code;
    std::uint8_t model;
    std::uint8_t compression;
};

constexpr std::array<ModelRow, 15> kModelRows = {{
    {4, 1, 4},    {6, 1, 6},    {31, 1, 31},  {37, 2, 5},   {63, 2, 31},
    {69, 3, 5},   {101, 4, 5},  {102, 5, 4},  {103, 5, 6},  {104, 5, 31},
    {133, 6, 5},  {165, 7, 5},  {197, 8, 5},  {224, 9, 5},  {225, 9, 31},
}};

// The table never changes, so a flat lookup built at compile time serves every thread.
constexpr std::array<const ModelRow*, 256> BuildIndex() {
    std::array<const ModelRow*, 256> index{};
    for (const ModelRow& row : kModelRows)
        index[row.code] = &row;
    return index;
}
constinit const std::array<const ModelRow*, 256> kIndex = BuildIndex();

}  // namespace

int CompressionOf(std::uint8_t modelCode) {
    const ModelRow* row = kIndex[modelCode];
    return row ? row->compression : 4;
}

int ModelOf(std::uint8_t modelCode) {
    const ModelRow* row = kIndex[modelCode];
    return row ? row->model : 0;
}

const char* ModelPrefix(int modelIndex) {
    constexpr const char* kPrefixes[10] = {"",     "QM-",  "QN-",  "QP-", "QM9-",
                                           "QR-",  "QM8-", "QM7-", "QS-", "QT-"};
    return (modelIndex >= 1 && modelIndex <= 9) ? kPrefixes[modelIndex] : "";
}

bool IsCompressionSupported(std::uint8_t modelCode) {
    const int compression = CompressionOf(modelCode);
    switch (ModelOf(modelCode)) {
    case 1:
    case 5:
        return compression == 3 || compression == 4 || compression == 6 || compression == 31;
    case 2:
    case 4:
    case 6:
    case 7:
    case 8:
    case 9:
        return compression == 5 || compression == 31;
    case 3:
        return compression == 5;
    default:
        return false;
    }
}

std::string FormatUnitId(std::uint8_t modelCode, std::uint16_t unitNumber) {
    return Format("%s%05u", ModelPrefix(ModelOf(modelCode)), static_cast<unsigned>(unitNumber));
}

}  // namespace tvx
