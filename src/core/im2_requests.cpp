// The window thread's side of a reader with a worker: requests set flags, and only opening,
// closing, a pending seek and Rewind wait for the worker to act.
#include "core/im2.h"

#include "core/hooks.h"
#include "core/im2_worker.h"

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
    StartWorker(setup, [image = std::make_shared<CIm2>(*this)](Im2Command& command) {
        Im2Worker worker(command, *image);
        worker.Run();
    });
}

CIm2::~CIm2() { StopWorker(); }

void CIm2::StartWorker(const PlaybackSetup& setup, std::function<void(Im2Command&)> body) {
    Im2Command& command = m_command.Make(setup);
    command.m_owner.Set(this);
    command.m_thread.Start(
        [shared = m_command.Share(), body = std::move(body)] { body(*shared); },
        WorkerThread::Priority::BelowNormal);
}

void CIm2::StopWorker() {
    if (!m_command)
        return;
    m_command->RequestQuit();
    m_command->m_thread.Finish(m_command->m_setup.quitWait);
    m_command->m_owner.Set(nullptr);
}

bool CIm2::OpenFile(const std::string& path) {
    if (!m_command)
        return false;
    m_command->SetPath(path);
    m_command->m_bOpenReq.store(true);
    WaitUntilClear(m_command->m_bOpenReq, m_command->m_thread);
    return m_command->m_bOpen.load();
}

bool CIm2::CloseFile() {
    if (!m_command)
        return false;
    m_command->SetPath({});
    m_command->m_bOpenReq.store(true);
    WaitUntilClear(m_command->m_bOpenReq, m_command->m_thread);
    return true;
}

void CIm2::Play() {
    if (m_command)
        m_command->m_nPlayState.store(kPlaying);
}

void CIm2::Pause(bool pause) {
    if (m_command)
        (pause ? m_command->m_bPauseReq : m_command->m_bResumeReq).store(true);
}

bool CIm2::Stop() {
    if (!m_command)
        return false;
    m_command->m_nPlayState.store(kPlayStopped);
    m_command->m_bStopReq.store(true);
    std::this_thread::sleep_for(milliseconds(50));
    return true;
}

bool CIm2::SeekMs(std::int64_t ms) {
    if (!m_command)
        return false;
    if (!m_command->m_bScan.load())
        WaitUntilClear(m_command->m_bSeekReq, m_command->m_thread);
    // Value first, flag second: the worker never pairs the flag with an old block.
    m_command->m_nSeekBlock.store(static_cast<std::uint64_t>(MsToBlock(ms)));
    m_command->m_bSeekReq.store(true);
    std::this_thread::sleep_for(milliseconds(200));
    return true;
}

bool CIm2::IsSeekPending() const { return m_command && m_command->m_bSeekReq.load(); }

void CIm2::StartScan() {
    if (m_command)
        m_command->m_bScan.store(true);
}

bool CIm2::StopScan() {
    if (!m_command)
        return false;
    m_command->m_bScan.store(false);
    return true;
}

bool CIm2::IsScanning() const { return m_command && m_command->m_bScan.load(); }

bool CIm2::IsPlaying() const {
    return m_command && m_command->m_nPlayState.load() != kPlayStopped;
}

void CIm2::Rewind() {
    if (!m_command)
        return;
    m_command->m_bRewindReq.store(true);
    Hooks* hooks = m_command->m_setup.hooks;
    while (m_command->m_bRewindReq.load() && m_command->m_thread.IsRunning()) {
        // The window stays alive while the worker reports the header records.
        if (hooks != nullptr)
            hooks->PumpWaitingMessage();
        std::this_thread::sleep_for(hooks != nullptr ? milliseconds(1) : kPollInterval);
    }
}

void CIm2::SetBlockCallback(BlockCallback callback) {
    if (m_command)
        m_command->m_pfnBlock.store(callback);
}

void CIm2::SetGain(double gain) {
    // The worker takes the gain before each block it decodes.
    if (m_command)
        m_command->m_gain.store(gain);
    else
        m_dGain = gain;
}

}  // namespace tvx
