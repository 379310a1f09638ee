#pragma once

#include "core/file_hash.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace tvx {

// The SHA-256 of a file as it is written, taken on a thread of its own from the very buffers
// the writer hands to the disk, so the file need not be read back to be listed. The writer
// hands each buffer over once it is written and gets an emptied one back; at most a few wait,
// so a digest that falls behind holds the writer back rather than piling up memory.
class StreamedDigest {
public:
    // `head` is the file's first bytes as they will stand once it is closed.
    explicit StreamedDigest(std::span<const std::uint8_t> head);
    ~StreamedDigest();   // stops the digest and waits for its thread
    StreamedDigest(const StreamedDigest&) = delete;
    StreamedDigest& operator=(const StreamedDigest&) = delete;

    // `bytes` follow the ones handed before; returns an empty buffer to fill next.
    std::vector<std::uint8_t> Hand(std::vector<std::uint8_t> bytes);
    // Bytes handed after the head.
    std::uint64_t Handed() const { return m_handed; }
    // Waits for every byte handed: the digest of the head and all of them; empty when
    // libcrypto is not there. Once only.
    std::string Finish();

private:
    static constexpr std::size_t kWaiting = 4;

    void Run();

    Sha256Stream m_sha;
    std::uint64_t m_handed = 0;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<std::uint8_t>> m_waiting;   // to be digested, oldest first
    std::vector<std::vector<std::uint8_t>> m_done;     // digested, to be handed back
    bool m_end = false;
    std::thread m_thread;
};

}  // namespace tvx
