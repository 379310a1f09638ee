#pragma once

#include "core/block_status.h"
#include "formats/img/img.h"

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

// A record whose payload reads all 0xFF: flash the unit erased and never wrote again.
bool IsErasedRecord(RecordView record);

// One link of the voice-image checksum chain, over a record that is not erased: a record whose
// block checksum (blockSum, the sum of its payload) holds adds it to the running sum, which its
// byte 527 must then equal; after a break the chain runs on from that byte.
BlockStatus StepVoiceChain(std::uint8_t& running, RecordView record, std::uint8_t blockSum);

}  // namespace tvx
