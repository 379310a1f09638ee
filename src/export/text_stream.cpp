#include "export/text_stream.h"

namespace tvx {

std::string ToTextMode(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16 + 2);
    for (const char c : text) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    return bytes;
}

bool TextStream::Open(const std::string& fileName, CFileException* error,
                      std::uint32_t disposition, std::uint32_t flags) {
    m_size = 0;
    return m_file.Open(fileName, kGenericWrite, kShareRead | kShareWrite, disposition, error, flags);
}

void TextStream::Write(std::string_view text) {
    const std::string bytes = ToTextMode(text);
    m_file.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    m_size += bytes.size();
}

void TextStream::TruncateTo(std::uint64_t size) {
    m_file.SeekTo(size);
    m_file.SetEndOfFile();
    m_size = size;
}

void TextStream::Close() {
    const std::string name = m_file.GetFileName();
    try {
        m_file.Close();
    } catch (CFileException& failure) {
        if (failure.m_strFileName.empty())
            failure.m_strFileName = name;
        throw;
    }
}

}  // namespace tvx
