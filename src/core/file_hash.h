#pragma once

#include "core/error.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tvx {

// What identifies a file's bytes for the record: its size, its modification time and the
// SHA-256 of every byte it holds.
struct FileHash {
    std::uint64_t size = 0;
    std::string mtime;    // ISO 8601 in UTC to the second, "2024-05-01T09:30:00Z"
    std::string sha256;   // 64 lower-case hex digits
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
