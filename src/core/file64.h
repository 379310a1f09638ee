#pragma once

#include "core/error.h"

#include <cstdint>
#include <exception>
#include <string>

namespace tvx {

// The platform's file failure, carried as an exception by the file classes.
class CFileException : public std::exception {
public:
    CFileException() = default;
    CFileException(Cause cause, int osError, std::string fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}

    const char* what() const noexcept override { return "file error"; }
    Error ToError() const { return {m_cause, m_lOsError, m_strFileName, 0, {}}; }

    Cause m_cause = Cause::Io;
    int m_lOsError = 0;           // errno; -1 for a short write
    std::string m_strFileName;
};

// Access, share and disposition values keep their familiar numbers so callers read as before.
inline constexpr std::uint32_t kGenericRead = 0x80000000u;
inline constexpr std::uint32_t kGenericWrite = 0x40000000u;
inline constexpr std::uint32_t kShareRead = 0x1u;
inline constexpr std::uint32_t kShareWrite = 0x2u;
inline constexpr std::uint32_t kCreateNew = 1;      // fails when the name exists already
inline constexpr std::uint32_t kCreateAlways = 2;
inline constexpr std::uint32_t kOpenExisting = 3;
inline constexpr std::uint32_t kFlagSequentialScan = 0x08000000u;
inline constexpr std::uint32_t kFlagNoFollow = 0x00200000u;   // a symbolic link fails (ELOOP)

// What fstat says of an open file that a change of its bytes would move.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t mtimeSeconds = 0;   // since the epoch, UTC
    long mtimeNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

enum SeekOrigin : int { kSeekBegin = 0, kSeekCurrent = 1, kSeekEnd = 2 };

// A file with 64-bit offsets. Every failure throws CFileException, except Open, which answers
// by its result. Only regular files are opened: a directory, a FIFO or a device is refused, so
// a read can never block forever.
class CFile64 {
public:
    CFile64() = default;
    CFile64(const CFile64&) = delete;
    CFile64& operator=(const CFile64&) = delete;
    virtual ~CFile64();

    bool Open(const std::string& fileName, std::uint32_t access, std::uint32_t shareMode,
              std::uint32_t disposition, CFileException* error = nullptr,
              std::uint32_t flags = 0);
    void Close();
    void Abort() noexcept;

    std::uint32_t Read(void* buffer, std::uint32_t count);
    // Reads until count bytes came or the file ended, so a short result always means the end.
    std::uint32_t ReadFull(void* buffer, std::uint32_t count);
    void Write(const void* buffer, std::uint32_t count);
    std::uint64_t Seek(const std::uint64_t* distance, int origin, int direction);
    std::uint64_t SeekTo(std::uint64_t position);
    std::uint64_t SeekToBegin();
    std::uint64_t GetPosition() const;
    std::uint64_t GetLength() const;
    FileStamp GetStamp() const;
    void SetEndOfFile();          // the end of the file becomes the current position

    bool IsOpen() const { return m_hFile != kInvalidHandle; }
    const std::string& GetFileName() const { return m_strFileName; }

private:
    static constexpr int kInvalidHandle = -1;
    void ResetClosed() noexcept;
    [[noreturn]] void ThrowErrno(int osError, bool withName) const;

    int m_hFile = kInvalidHandle;
    bool m_bCloseOnDelete = false;
    std::string m_strFileName;
};

}  // namespace tvx
