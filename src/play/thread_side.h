#pragma once

#include <memory>
#include <utility>

namespace tvx {

// What only a reader built for playback has (its requests and its worker). Copying a reader
// copies its image state alone: a copy gets none of this, an assignment keeps the target's.
// The worker holds a share of it too, so one left behind by the destructor still has it.
template <typename T>
class ThreadSide {
public:
    ThreadSide() = default;
    ThreadSide(const ThreadSide&) {}
    ThreadSide& operator=(const ThreadSide&) { return *this; }

    template <typename... Args>
    T& Make(Args&&... args) {
        m_p = std::make_shared<T>(std::forward<Args>(args)...);
        return *m_p;
    }
    std::shared_ptr<T> Share() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T* operator->() const { return m_p.get(); }
    T& operator*() const { return *m_p; }

private:
    std::shared_ptr<T> m_p;
};

}  // namespace tvx
