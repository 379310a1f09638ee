#pragma once

#include "play/playback.h"
#include "play/reader_command.h"
#include "play/thread_side.h"
#include "play/worker_thread.h"

#include <chrono>
#include <thread>
#include <utility>

namespace tvx {

// The window thread's side of the requests every reader with a worker takes: each sets a flag
// and returns; only Stop gives the worker its 50 ms. A reader made without a worker does
// nothing and answers false. The requests that differ by format (opening, seeking, Rewind,
// the callback) are the reader's own.
template <typename Command>
class ReaderRequests {
public:
    void Play() {
        if (m_command) {
            m_command->m_nPlayState.store(kPlaying);
            m_command->Wake();
        }
    }
    void Pause(bool pause) {   // false resumes
        if (m_command)
            m_command->Ask(pause ? m_command->m_bPauseReq : m_command->m_bResumeReq);
    }
    bool Stop() {
        if (!m_command)
            return false;
        m_command->m_nPlayState.store(kPlayStopped);
        m_command->Ask(m_command->m_bStopReq);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return true;
    }
    void StartScan() {
        if (m_command)
            m_command->Ask(m_command->m_bScan);
    }
    bool StopScan() {
        if (!m_command)
            return false;
        m_command->m_bScan.store(false);
        return true;
    }
    bool IsScanning() const { return m_command && m_command->m_bScan.load(); }
    bool IsPlaying() const {   // paused counts as playing
        return m_command && m_command->m_nPlayState.load() != kPlayStopped;
    }
    // The worker has not taken the last seek yet.
    bool IsSeekPending() const { return m_command && m_command->m_bSeekReq.load(); }
    bool HasWorker() const { return static_cast<bool>(m_command); }

protected:
    ReaderRequests() = default;
    ~ReaderRequests() = default;
    ReaderRequests(const ReaderRequests&) = default;   // a copy has no worker (ThreadSide)
    ReaderRequests& operator=(const ReaderRequests&) = default;

    // The body runs on the worker with the command block, which it shares: a worker left
    // behind by the destructor keeps it, and never reaches the owner again.
    template <typename Owner, typename Body>
    void StartWorker(const PlaybackSetup& setup, Owner* owner, Body body,
                     WorkerThread::Priority priority) {
        Command& command = m_command.Make(setup);
        command.m_owner.Set(owner);
        command.m_thread.Start(
            [shared = m_command.Share(), body = std::move(body)] { body(*shared); }, priority);
    }
    // Asks the worker to quit and waits for it a bounded time; the owner slot is emptied
    // whether it ended or not.
    void StopWorker() {
        if (!m_command)
            return;
        m_command->RequestQuit();
        m_command->m_thread.Finish(m_command->m_setup.quitWait);
        m_command->m_owner.Set(nullptr);
    }
    // The path and the open request (an empty path closes); the caller waits or not.
    void SendOpen(std::string path) {
        m_command->SetPath(std::move(path));
        m_command->Ask(m_command->m_bOpenReq);
    }
    bool AwaitOpen() {
        WaitUntilClear(m_command->m_bOpenReq, m_command->m_thread);
        return m_command->m_bOpen.load();
    }
    // Unless a scan runs, a seek waits until the worker has taken the one before.
    void AwaitSeekSlot() {
        if (!m_command->m_bScan.load())
            WaitUntilClear(m_command->m_bSeekReq, m_command->m_thread);
    }
    // The worker takes the gain before each block it decodes; false without a worker.
    bool SendGain(double gain) {
        if (!m_command)
            return false;
        m_command->m_gain.store(gain);
        return true;
    }

    ThreadSide<Command> m_command;
};

}  // namespace tvx
