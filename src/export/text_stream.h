#pragma once

#include "core/file64.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tvx {

// A summary file written in text mode: every LF becomes CR LF and a CR passes unchanged, so
// a string ended with "\r\n" reaches the file as CR CR LF. Write errors throw CFileException.
class TextStream {
public:
    bool Open(const std::string& fileName, CFileException* error,
              std::uint32_t disposition = kCreateAlways, std::uint32_t flags = 0);
    void Write(std::string_view text);
    void Close();

    // Bytes in the file so far; TruncateTo takes the file back to such a mark.
    std::uint64_t Size() const { return m_size; }
    void TruncateTo(std::uint64_t size);

    bool IsOpen() const { return m_file.IsOpen(); }

private:
    CFile64 m_file;
    std::uint64_t m_size = 0;
};

// The bytes that Write puts into the file for a text.
std::string ToTextMode(std::string_view text);

}  // namespace tvx
