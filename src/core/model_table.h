#pragma once

#include <cstdint>
#include <string>

namespace tvx {

// ModelCode to model index and compression; codes outside the table have model 0, compression 4.
int CompressionOf(std::uint8_t modelCode);
int ModelOf(std::uint8_t modelCode);
const char* ModelPrefix(int modelIndex);
bool IsCompressionSupported(std::uint8_t modelCode);

// "QM7-00042": the model's prefix and the unit number with at least five digits.
std::string FormatUnitId(std::uint8_t modelCode, std::uint16_t unitNumber);

}  // namespace tvx
