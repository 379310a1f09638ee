// The window thread's side of an IMG reader with a worker: requests set flags; only an open
// and a pending seek wait for the worker.
#include "readers/img.h"

#include "readers/img_worker.h"

#include <chrono>
#include <memory>
#include <thread>

namespace tvx {

CImg::CImg(const PlaybackSetup& setup) {
    ImgCommand& command = m_command.Make(setup);
    command.m_owner.Set(this);
    // The worker shares the command block and works on its own copy of the record state, so
    // one left behind by the destructor never reaches this reader again.
    command.m_thread.Start(
        [shared = m_command.Share(), image = std::make_shared<CImg>(*this)] {
            ImgWorker worker(*shared, *image);
            worker.Run();
        },
        WorkerThread::Priority::Normal);
}

CImg::~CImg() {
    if (!m_command)
        return;
    m_command->RequestQuit();
    m_command->m_thread.Finish(m_command->m_setup.quitWait);
    m_command->m_owner.Set(nullptr);
}

bool CImg::Open(const std::string& path) {
    if (!m_command)
        return false;
    m_command->SetPath(path);
    m_command->m_bOpenReq.store(true);
    m_command->m_bScan.store(false);
    WaitUntilClear(m_command->m_bOpenReq, m_command->m_thread);
    return m_command->m_bFileOpen.load();
}

void CImg::Close() {
    if (!m_command)
        return;
    m_command->SetPath({});
    m_command->m_bFileOpen.store(false);
    m_command->m_bOpenReq.store(true);
}

void CImg::Play() {
    if (m_command)
        m_command->m_nPlayState.store(kPlaying);
}

bool CImg::Stop() {
    if (!m_command)
        return false;
    m_command->m_nPlayState.store(kPlayStopped);
    m_command->m_bStopReq.store(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return true;
}

void CImg::Pause(bool pause) {
    if (m_command)
        (pause ? m_command->m_bPauseReq : m_command->m_bResumeReq).store(true);
}

void CImg::SeekToTime(std::int32_t ms) {
    if (!m_command)
        return;
    if (!m_command->m_bScan.load())
        WaitUntilClear(m_command->m_bSeekReq, m_command->m_thread);
    // Value first, flag second: the worker never pairs the flag with an old target.
    m_command->m_nSeekTarget.store(RecordAtTime(ms));
    m_command->m_bSeekReq.store(true);
}

bool CImg::IsSeekPending() const { return m_command && m_command->m_bSeekReq.load(); }

void CImg::StartScan() {
    if (m_command)
        m_command->m_bScan.store(true);
}

bool CImg::StopScan() {
    if (!m_command)
        return false;
    m_command->m_bScan.store(false);
    return true;
}

bool CImg::IsScanning() const { return m_command && m_command->m_bScan.load(); }

bool CImg::IsPlaying() const {
    return m_command && m_command->m_nPlayState.load() != kPlayStopped;
}

void CImg::SetRecordCallback(RecordCallback callback) {
    if (m_command)
        m_command->m_pfnRecord.store(callback);
}

void CImg::SetGain(double gain) {
    // The worker takes the gain before each record it decodes.
    if (m_command)
        m_command->m_gain.store(gain);
    else
        m_dGain = gain;
}

}  // namespace tvx
