#pragma once

#include "core/error.h"
#include "core/file64.h"

#include <cstdint>
#include <string>

namespace tvx::homes {

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
