#include "export/background_hash.h"

namespace tvx {

BackgroundHash::BackgroundHash(std::string path) : m_path(std::move(path)) {
    m_hash = std::async(std::launch::async, [this] {
        return HashFile(m_path, [this] { return !m_stop.load(std::memory_order_relaxed); });
    });
}

BackgroundHash::~BackgroundHash() {
    Stop();
    if (m_hash.valid())
        m_hash.wait();
}

bool BackgroundHash::IsReady(std::chrono::milliseconds wait) const {
    return !m_hash.valid() || m_hash.wait_for(wait) == std::future_status::ready;
}

Result<FileHash> BackgroundHash::Take() { return m_hash.get(); }

}  // namespace tvx
