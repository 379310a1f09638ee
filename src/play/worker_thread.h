#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tvx {

// The one worker thread of a reader: started by a constructor that asks for playback,
// finished by the destructor, which has already asked it to quit and waits a bounded time.
class WorkerThread {
public:
    enum class Priority { Normal, BelowNormal };

    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void Start(std::function<void()> body, Priority priority);
    // Waits for the body to return, at most `limit`. A worker still running then is left
    // behind (false): the owner goes on rather than hang.
    bool Finish(std::chrono::milliseconds limit);
    // The body has not returned yet; a caller waiting for the worker stops waiting otherwise.
    bool IsRunning() const;

private:
    // Shared with the thread, so that one left behind can still say it ended.
    struct Ending {
        mutable std::mutex lock;
        std::condition_variable ended;
        bool done = false;
    };

    std::shared_ptr<Ending> m_ending;
    std::thread m_thread;
};

}  // namespace tvx
