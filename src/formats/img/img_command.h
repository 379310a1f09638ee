#pragma once

#include "play/reader_command.h"

#include <atomic>
#include <cstdint>

namespace tvx {

class CImg;

// The command block of an IMG reader with a worker: the shared requests, the seek target as
// a record number, the spare request, and the values the worker publishes for the getters.
class ImgCommand : public ReaderCommand {
public:
    using ReaderCommand::ReaderCommand;

    std::atomic<std::uint32_t> m_nSeekTarget{0};   // record number, from 1
    std::atomic<bool> m_bSpareReq{false};
    std::atomic<RecordCallback> m_pfnRecord{nullptr};
    OwnerSlot<CImg> m_owner;

    struct Published {
        std::atomic<std::uint32_t> counter{1};          // m_nRecordCounter
        std::atomic<std::uint32_t> bufferedNumber{0};   // block number in m_record
    };
    Published m_published;
};

}  // namespace tvx
