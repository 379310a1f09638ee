#pragma once

#include "core/reader_command.h"

#include <atomic>
#include <cstdint>

namespace tvx {

class CImg;

// The command block of an IMG reader with a worker: requests from the window thread, and the
// values the worker publishes for the window's getters.
class ImgCommand : public ReaderCommand {
public:
    using ReaderCommand::ReaderCommand;

    // A request is pending that resets the device anyway, or the worker must end; a seek
    // resets it only where it lands, which the worker judges.
    bool OutputWillBeReset() const {
        return m_bStopReq.load() || m_bOpenReq.load() ||
               m_bResetReq.load() || QuitRequested();
    }

    std::atomic<bool> m_bFileOpen{false};
    std::atomic<bool> m_bSeekReq{false};
    std::atomic<std::uint32_t> m_nSeekTarget{0};   // record number, from 1
    std::atomic<bool> m_bOpenReq{false};
    std::atomic<bool> m_bPauseReq{false};
    std::atomic<bool> m_bResumeReq{false};
    std::atomic<bool> m_bStopReq{false};
    std::atomic<bool> m_bScan{false};
    std::atomic<std::int32_t> m_nPlayState{kPlayStopped};
    std::atomic<bool> m_bResetReq{false};
    std::atomic<bool> m_bSpareReq{false};
    std::atomic<RecordCallback> m_pfnRecord{nullptr};
    std::atomic<double> m_gain{1.0};
    OwnerSlot<CImg> m_owner;

    struct Published {
        std::atomic<std::uint32_t> counter{1};          // m_nRecordCounter
        std::atomic<std::uint32_t> bufferedNumber{0};   // block number in m_record
        std::atomic<std::int32_t> queuedMs{0};
    };
    Published m_published;
};

}  // namespace tvx
