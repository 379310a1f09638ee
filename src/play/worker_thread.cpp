#include "play/worker_thread.h"

#include <cerrno>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tvx {

namespace {

// Below normal is one step of niceness for this thread alone (Linux keeps it per thread).
void LowerThisThread() {
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int now = ::getpriority(PRIO_PROCESS, tid);
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, tid, now + 1);
}

}  // namespace

WorkerThread::~WorkerThread() {
    if (m_thread.joinable())
        m_thread.detach();   // only when the owner never finished it; it must not end us
}

void WorkerThread::Start(std::function<void()> body, Priority priority) {
    m_ending = std::make_shared<Ending>();
    m_thread = std::thread([ending = m_ending, body = std::move(body), priority] {
        if (priority == Priority::BelowNormal)
            LowerThisThread();
        body();
        const std::lock_guard lock(ending->lock);
        ending->done = true;
        ending->ended.notify_all();
    });
}

bool WorkerThread::Finish(std::chrono::milliseconds limit) {
    if (!m_thread.joinable())
        return true;
    std::unique_lock lock(m_ending->lock);
    const bool ended = m_ending->ended.wait_for(lock, limit, [&] { return m_ending->done; });
    lock.unlock();
    if (ended)
        m_thread.join();
    else
        m_thread.detach();
    return ended;
}

bool WorkerThread::IsRunning() const {
    if (!m_ending)
        return false;
    const std::lock_guard lock(m_ending->lock);
    return !m_ending->done;
}

}  // namespace tvx
