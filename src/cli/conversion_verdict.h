#pragma once

#include "export/convert.h"
#include "formats/format_home.h"

namespace tvx::cli {

// A conversion's verdict by the rule verify gives: the source's shape, read by its home before
// the pass, and the blocks the pass converted.
bool IsAuthenticConversion(const SourceShape& shape, const ConvertResult& result);

}  // namespace tvx::cli
