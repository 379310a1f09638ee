// The IM2 reader's own requests to its worker; the ones every reader takes are shared
// (ReaderRequests). Opening, closing, a pending seek and Rewind wait for the worker to act.
#include "formats/im2/im2.h"

#include "core/hooks.h"
#include "formats/im2/im2_worker.h"

#include <chrono>
#include <memory>
#include <thread>

namespace tvx {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kPollInterval{10};

}  // namespace

CIm2::CIm2(const PlaybackSetup& setup) {
    // The worker works on its own copy of the image state and hands it over at an open.
    StartWorker(
        setup, this,
        [image = std::make_shared<CIm2>(*this)](Im2Command& command) {
            Im2Worker worker(command, *image);
            worker.Run();
        },
        WorkerThread::Priority::BelowNormal);
}

CIm2::~CIm2() { StopWorker(); }

bool CIm2::OpenFile(const std::string& path) {
    if (!m_command)
        return false;
    SendOpen(path);
    return AwaitOpen();
}

bool CIm2::CloseFile() {
    if (!m_command)
        return false;
    SendOpen({});
    AwaitOpen();
    return true;
}

bool CIm2::SeekMs(std::int64_t ms) {
    if (!m_command)
        return false;
    AwaitSeekSlot();
    // Value first, flag second: the worker never pairs the flag with an old block.
    m_command->m_nSeekBlock.store(static_cast<std::uint64_t>(MsToBlock(ms)));
    m_command->Ask(m_command->m_bSeekReq);
    std::this_thread::sleep_for(milliseconds(200));
    return true;
}

void CIm2::Rewind() {
    if (!m_command)
        return;
    m_command->Ask(m_command->m_bRewindReq);
    const auto& pump = m_command->m_setup.pump;
    while (m_command->m_bRewindReq.load() && m_command->m_thread.IsRunning()) {
        // The window stays alive while the worker reports the header records.
        if (pump)
            pump();
        std::this_thread::sleep_for(pump ? milliseconds(1) : kPollInterval);
    }
}

void CIm2::SetBlockCallback(BlockCallback callback) {
    if (m_command)
        m_command->m_pfnBlock.store(callback);
}

void CIm2::SetGain(double gain) {
    if (!SendGain(gain))
        m_dGain = gain;
}

}  // namespace tvx
