#pragma once

#include "core/error.h"
#include "core/file64.h"

#include <cstdint>
#include <string>

namespace tvx::homes {

// Reads until count bytes are in or the file ends; returns how many arrived.
inline std::uint32_t ReadFull(CFile64& file, std::uint8_t* to, std::uint32_t count) {
    std::uint32_t got = 0;
    while (got < count) {
        const std::uint32_t n = file.Read(to + got, count - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

// The edge where a thread-less pass's CFileException becomes the error it carries, named by
// the image's path.
template <typename T, typename Work>
Result<T> Caught(const std::string& path, Work work) {
    try {
        return work();
    } catch (const CFileException& e) {
        Error error = e.ToError();
        error.path = path;
        return error;
    }
}

}  // namespace tvx::homes
