#pragma once

#include "core/block_status.h"
#include "readers/img.h"

#include <cstdint>
#include <span>

namespace tvx {

// The conversion's decoder of one IMG record (in img.m_record), checked against the header's
// values and the record counter, into 8-bit PCM without gain. A record that decodes to another
// sample count than it states becomes silence; an erased record is silence and no error. The
// running voice-image checksum lives for the whole process, as the units' own software keeps
// it: a conversion resynchronises it by passing its header record through first.
BlockStatus DecodeImgRecord(const CImg& img, std::uint32_t recordCounter,
                            std::span<std::uint8_t> out, std::uint16_t* count);

}  // namespace tvx
