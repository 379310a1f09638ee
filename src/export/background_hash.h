#pragma once

#include "core/error.h"
#include "core/file_hash.h"

#include <atomic>
#include <chrono>
#include <future>
#include <string>

namespace tvx {

// The SHA-256 of a file taken on a thread of its own while a pass reads the same file on
// the caller's: each reads for itself, the later read served by the page cache the earlier
// one filled. The pass reads by format and may leave bytes unread (a cut tail, data past the
// stated blocks) that the hash must cover, so the hash does not ride on the pass's buffers.
class BackgroundHash {
public:
    explicit BackgroundHash(std::string path);
    ~BackgroundHash();   // stops the hash and waits for its thread
    BackgroundHash(const BackgroundHash&) = delete;
    BackgroundHash& operator=(const BackgroundHash&) = delete;

    // Ends the hash after its current read; Take then answers an error.
    void Stop() { m_stop = true; }
    bool IsReady(std::chrono::milliseconds wait) const;
    // Waits for the hash; once only.
    Result<FileHash> Take();

private:
    std::string m_path;
    std::atomic<bool> m_stop{false};
    std::future<Result<FileHash>> m_hash;
};

}  // namespace tvx
