#pragma once

#include "core/error.h"
#include "export/convert.h"

#include <cstdint>
#include <string>

namespace tvx::cli {

// What the verdict on a conversion needs beside the blocks the pass converted: the source's
// structure and length, judged as verify judges them.
struct SourceShape {
    bool structureSound = false;
    bool exactLength = false;
    std::uint64_t blocks = 0;   // the blocks the pass must convert
};

// The source's structure and length as verify judges them; fails as the pass's own open would.
Result<SourceShape> ReadSourceShape(const std::string& path);

// A conversion's verdict by the rule verify gives: the shape read before, the blocks converted.
bool IsAuthenticConversion(const SourceShape& shape, const ConvertResult& result);

}  // namespace tvx::cli
