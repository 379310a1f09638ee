#pragma once

#include "core/error.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

struct evp_md_ctx_st;

namespace tvx {

// What identifies a file's bytes for the record: its size, its modification time and the
// SHA-256 of every byte it holds.
struct FileHash {
    std::uint64_t size = 0;
    std::string mtime;    // ISO 8601 in UTC to the second, "2024-05-01T09:30:00Z"
    std::string sha256;   // 64 lower-case hex digits
};

// The SHA-256 of bytes handed over in order; HashFile's own digest.
class Sha256Stream {
public:
    Sha256Stream();
    ~Sha256Stream();
    Sha256Stream(const Sha256Stream&) = delete;
    Sha256Stream& operator=(const Sha256Stream&) = delete;

    // Empty when the digest can be taken; otherwise why not (libcrypto missing or refusing).
    const std::string& Unavailable() const { return m_why; }
    void Add(std::span<const std::uint8_t> bytes);
    // 64 lower-case hex digits of everything added; once, at the end.
    std::string Finish();

private:
    evp_md_ctx_st* m_context = nullptr;
    std::string m_why;
};

// Reads the file once from its first byte to its last, opened read-only (flags as CFile64
// takes them: kFlagNoFollow for an output). `keepGoing`, when given, is asked between reads;
// false stops the hash with an error. A file whose size or modification time moved while it
// was read fails with that said: its digest would describe no state the file was ever in.
Result<FileHash> HashFile(const std::string& path, const std::function<bool()>& keepGoing = {},
                          std::uint32_t flags = 0);

// "YYYY-MM-DDTHH:MM:SSZ" of a time in seconds since the epoch.
std::string IsoUtc(std::int64_t seconds);

}  // namespace tvx
