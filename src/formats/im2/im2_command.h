#pragma once

#include "play/reader_command.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace tvx {

class CIm2;

// The command block of an IM2 or IX2 reader with a worker: the shared requests, the seek
// target as a block, Rewind, and the values the worker publishes for the window's getters.
class Im2Command : public ReaderCommand {
public:
    using ReaderCommand::ReaderCommand;

    std::atomic<std::uint64_t> m_nSeekBlock{0};
    std::atomic<bool> m_bRewindReq{false};
    std::atomic<BlockCallback> m_pfnBlock{nullptr};
    OwnerSlot<CIm2> m_owner;

    // What the worker changes while the window reads it, stored after every change.
    struct Published {
        std::atomic<std::uint32_t> block{0};               // m_nBlock
        std::atomic<std::uint32_t> bufferedIndex{0};       // BlockIndex of m_block
        std::atomic<std::uint32_t> bufferedTimestamp{0};   // Timestamp of m_block
    };
    Published m_published;

    // The unit ID text changes rarely (at an open, or with a block of another unit).
    void PublishUnitId(const std::string& text) {
        const std::lock_guard lock(m_unitLock);
        m_publishedUnitId = text;
    }
    std::string GetPublishedUnitId() const {
        const std::lock_guard lock(m_unitLock);
        return m_publishedUnitId;
    }

private:
    mutable std::mutex m_unitLock;
    std::string m_publishedUnitId;
};

}  // namespace tvx
