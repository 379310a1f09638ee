#pragma once

#include "play/playback.h"
#include "play/worker_thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace tvx {

inline constexpr std::int32_t kPlayStopped = 0;
inline constexpr std::int32_t kPlaying = 1;
inline constexpr std::int32_t kPlayPaused = 2;

// What every reader's command block has: the setup, the worker, the quit request under its
// lock, the path to open behind its own (a lock guards the swap, never slow work), the
// requests both kinds of reader take, and the queued time the worker publishes. The window
// thread sets a request; the worker acts on it at its next cycle and clears it.
class ReaderCommand {
public:
    explicit ReaderCommand(PlaybackSetup setup) : m_setup(std::move(setup)) {}

    bool QuitRequested() const {
        const std::lock_guard lock(m_cs);
        return m_bQuit;
    }
    void RequestQuit() {
        {
            const std::lock_guard lock(m_cs);
            m_bQuit = true;
        }
        Wake();
    }
    // Ends the worker's idle sleep, so a request (a scan above all) starts at once rather
    // than at the next cycle.
    void Wake() {
        {
            const std::lock_guard lock(m_wakeLock);
            m_woken = true;
        }
        m_wakeUp.notify_one();
    }
    // Raises a request flag and wakes the worker to it: no request waits out an idle cycle.
    void Ask(std::atomic<bool>& request) {
        request.store(true);
        Wake();
    }
    // The worker's idle sleep: `period` at most, less when a request wakes it.
    void SleepUnlessWoken(std::chrono::milliseconds period) {
        std::unique_lock lock(m_wakeLock);
        m_wakeUp.wait_for(lock, period, [this] { return m_woken; });
        m_woken = false;
    }
    std::string GetPath() const {
        const std::lock_guard lock(m_pathLock);
        return m_strPath;
    }
    void SetPath(std::string path) {
        const std::lock_guard lock(m_pathLock);
        m_strPath = std::move(path);
    }

    // A request is pending that resets the device anyway, or the worker must end; a seek
    // resets it only where it lands, which the worker judges: a Write waiting on a full
    // queue may give up.
    bool OutputWillBeReset() const {
        return m_bStopReq.load() || m_bOpenReq.load() || m_bResetReq.load() || QuitRequested();
    }

    const PlaybackSetup m_setup;
    WorkerThread m_thread;

    std::atomic<bool> m_bOpen{false};   // the last open request left a file open
    std::atomic<bool> m_bOpenReq{false};
    std::atomic<bool> m_bSeekReq{false};
    std::atomic<bool> m_bPauseReq{false};
    std::atomic<bool> m_bResumeReq{false};
    std::atomic<bool> m_bStopReq{false};
    std::atomic<bool> m_bScan{false};
    std::atomic<std::int32_t> m_nPlayState{kPlayStopped};
    std::atomic<bool> m_bResetReq{false};
    std::atomic<double> m_gain{1.0};
    std::atomic<std::int32_t> m_queuedMs{0};   // published after every change

private:
    mutable std::mutex m_cs;   // guards m_bQuit
    bool m_bQuit = false;
    mutable std::mutex m_pathLock;
    std::string m_strPath;
    std::mutex m_wakeLock;   // guards m_woken
    std::condition_variable m_wakeUp;
    bool m_woken = false;
};

// The reader a worker hands its image state to at an open. The reader's destructor empties
// it, so a worker it had to leave behind never reaches the reader again.
template <typename Reader>
class OwnerSlot {
public:
    void Set(Reader* owner) {
        const std::lock_guard lock(m_lock);
        m_owner = owner;
    }
    template <typename Fn>
    void With(Fn&& fn) {
        const std::lock_guard lock(m_lock);
        if (m_owner != nullptr)
            fn(*m_owner);
    }

private:
    std::mutex m_lock;
    Reader* m_owner = nullptr;
};

// Polls every 10 ms until the worker has cleared the request. The worker always clears what
// it is asked; one that has ended clears nothing more, so the wait ends with it.
void WaitUntilClear(const std::atomic<bool>& request, const WorkerThread& worker);

}  // namespace tvx
