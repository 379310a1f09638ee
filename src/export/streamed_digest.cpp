#include "export/streamed_digest.h"

namespace tvx {

StreamedDigest::StreamedDigest(std::span<const std::uint8_t> head) {
    m_sha.Add(head);
    m_thread = std::thread([this] { Run(); });
}

StreamedDigest::~StreamedDigest() {
    {
        std::lock_guard lock(m_mutex);
        m_end = true;
        m_waiting.clear();
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

std::vector<std::uint8_t> StreamedDigest::Hand(std::vector<std::uint8_t> bytes) {
    m_handed += bytes.size();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting.size() < kWaiting; });
    m_waiting.push_back(std::move(bytes));
    std::vector<std::uint8_t> empty;
    if (!m_done.empty()) {
        empty = std::move(m_done.back());
        m_done.pop_back();
    }
    lock.unlock();
    m_changed.notify_all();
    empty.clear();
    return empty;
}

void StreamedDigest::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_end || !m_waiting.empty(); });
        if (m_waiting.empty())
            return;
        std::vector<std::uint8_t> bytes = std::move(m_waiting.front());
        m_waiting.pop_front();
        lock.unlock();
        m_sha.Add(bytes);
        lock.lock();
        m_done.push_back(std::move(bytes));
        m_changed.notify_all();
    }
}

std::string StreamedDigest::Finish() {
    {
        std::lock_guard lock(m_mutex);
        m_end = true;
    }
    m_changed.notify_all();
    m_thread.join();
    return m_sha.Finish();
}

}  // namespace tvx
