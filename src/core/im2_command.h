#pragma once

#include "core/reader_command.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace tvx {

class CIm2;

// The command block of an IM2 or IX2 reader with a worker: requests the window thread sets
// and the worker clears, and the values the worker publishes for the window's getters.
class Im2Command : public ReaderCommand {
public:
    using ReaderCommand::ReaderCommand;

    // A request is pending that resets the device anyway, or the worker must end; a seek
    // resets it only where it lands, which the worker judges: a Write
    // waiting on a full queue may give up.
    bool OutputWillBeReset() const {
        return m_bStopReq.load() || m_bOpenReq.load() ||
               m_bResetReq.load() || QuitRequested();
    }

    std::atomic<bool> m_bOpen{false};
    std::atomic<std::uint64_t> m_nSeekBlock{0};
    std::atomic<bool> m_bSeekReq{false};
    std::atomic<bool> m_bOpenReq{false};
    std::atomic<bool> m_bPauseReq{false};
    std::atomic<bool> m_bResumeReq{false};
    std::atomic<bool> m_bStopReq{false};
    std::atomic<bool> m_bScan{false};
    std::atomic<std::int32_t> m_nPlayState{kPlayStopped};
    std::atomic<bool> m_bResetReq{false};
    std::atomic<bool> m_bRewindReq{false};
    std::atomic<BlockCallback> m_pfnBlock{nullptr};
    std::atomic<double> m_gain{1.0};
    OwnerSlot<CIm2> m_owner;

    // What the worker changes while the window reads it, stored after every change.
    struct Published {
        std::atomic<std::uint32_t> block{0};               // m_nBlock
        std::atomic<std::uint32_t> bufferedIndex{0};       // BlockIndex of m_block
        std::atomic<std::uint32_t> bufferedTimestamp{0};   // Timestamp of m_block
        std::atomic<std::int32_t> queuedMs{0};
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
