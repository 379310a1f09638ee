#include "core/file64.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tvx {
namespace {

int OpenFlags(std::uint32_t access, std::uint32_t disposition, std::uint32_t extra) {
    const bool read = access & kGenericRead;
    const bool write = access & kGenericWrite;
    int flags = O_CLOEXEC | O_NONBLOCK;   // a FIFO must never hold the open; cleared below
    flags |= (read && write) ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    if (disposition == kCreateAlways)
        flags |= O_CREAT | O_TRUNC;
    else if (disposition == kCreateNew)
        flags |= O_CREAT | O_EXCL;
    if (extra & kFlagNoFollow)
        flags |= O_NOFOLLOW;
    return flags;
}

// Why a file that opened is still refused: only regular files hold recordings or WAVs.
int RefusalOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    if (S_ISREG(st.st_mode))
        return 0;
    return S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
}

}  // namespace

CFile64::~CFile64() {
    if (IsOpen() && m_bCloseOnDelete) {
        try {
            Close();
        } catch (const CFileException&) {
            // a destructor cannot report; the handle is released either way
        }
    }
    ResetClosed();
}

bool CFile64::Open(const std::string& fileName, std::uint32_t access, std::uint32_t,
                   std::uint32_t disposition, CFileException* error, std::uint32_t flags) {
    Abort();
    int fd = -1;
    do {
        fd = ::open(fileName.c_str(), OpenFlags(access, disposition, flags), 0666);
    } while (fd < 0 && errno == EINTR);
    // A FIFO opened for writing with no reader answers ENXIO: refused like any file that is
    // not a regular one, rather than named by the system's puzzling words.
    int osError = fd < 0 ? (errno == ENXIO ? ENODEV : errno) : RefusalOf(fd);
    if (osError == 0 && ::fcntl(fd, F_SETFL, 0) != 0)
        osError = errno;
    if (osError != 0) {
        if (fd >= 0)
            ::close(fd);
        if (error) {
            error->m_cause = osError == ENODEV ? Cause::BadFormat : CauseOfErrno(osError);
            error->m_lOsError = osError == ENODEV ? 0 : osError;
            error->m_strFileName = fileName;
        }
        return false;
    }
    if (flags & kFlagSequentialScan)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_hFile = fd;
    m_bCloseOnDelete = true;
    m_strFileName = fileName;
    return true;
}

void CFile64::ResetClosed() noexcept {
    m_hFile = kInvalidHandle;
    m_bCloseOnDelete = false;
    m_strFileName.clear();
}

void CFile64::ThrowErrno(int osError, bool withName) const {
    throw CFileException(CauseOfErrno(osError), osError, withName ? m_strFileName : std::string());
}

void CFile64::Close() {
    if (!IsOpen()) {
        ResetClosed();
        return;
    }
    const int result = ::close(m_hFile);
    const int osError = errno;
    ResetClosed();
    if (result != 0 && osError != EINTR)
        throw CFileException(CauseOfErrno(osError), osError, {});
}

void CFile64::Abort() noexcept {
    if (IsOpen())
        ::close(m_hFile);
    ResetClosed();
}

std::uint32_t CFile64::Read(void* buffer, std::uint32_t count) {
    for (;;) {
        const ssize_t n = ::read(m_hFile, buffer, count);
        if (n >= 0)
            return static_cast<std::uint32_t>(n);   // short at the end is not a failure
        if (errno != EINTR)
            ThrowErrno(errno, false);
    }
}

std::uint32_t CFile64::ReadFull(void* buffer, std::uint32_t count) {
    auto* at = static_cast<std::uint8_t*>(buffer);
    std::uint32_t got = 0;
    while (got < count) {
        const std::uint32_t n = Read(at + got, count - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

void CFile64::Write(const void* buffer, std::uint32_t count) {
    ssize_t n = -1;
    do {
        n = ::write(m_hFile, buffer, count);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        ThrowErrno(errno, true);
    if (static_cast<std::uint32_t>(n) != count)
        throw CFileException(Cause::DiskFull, -1, m_strFileName);
}

std::uint64_t CFile64::SeekTo(std::uint64_t position) {
    if (position > static_cast<std::uint64_t>(INT64_MAX))
        ThrowErrno(EINVAL, false);
    const off_t at = ::lseek(m_hFile, static_cast<off_t>(position), SEEK_SET);
    if (at < 0)
        ThrowErrno(errno, false);
    return static_cast<std::uint64_t>(at);
}

std::uint64_t CFile64::Seek(const std::uint64_t* distance, int origin, int direction) {
    std::uint64_t base = 0;
    if (origin == kSeekCurrent)
        base = GetPosition();
    else if (origin == kSeekEnd)
        base = GetLength();
    if (origin == kSeekBegin || direction != 0)
        return SeekTo(base + *distance);
    if (*distance > base)
        ThrowErrno(EINVAL, false);   // before the start of the file
    return SeekTo(base - *distance);
}

std::uint64_t CFile64::SeekToBegin() { return SeekTo(0); }

std::uint64_t CFile64::GetPosition() const {
    const off_t at = ::lseek(m_hFile, 0, SEEK_CUR);
    if (at < 0)
        ThrowErrno(errno, false);
    return static_cast<std::uint64_t>(at);
}

std::uint64_t CFile64::GetLength() const {
    struct stat st {};
    if (::fstat(m_hFile, &st) != 0)
        ThrowErrno(errno, false);
    return static_cast<std::uint64_t>(st.st_size);
}

FileStamp CFile64::GetStamp() const {
    struct stat st {};
    if (::fstat(m_hFile, &st) != 0)
        ThrowErrno(errno, false);
    return {static_cast<std::uint64_t>(st.st_size), st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

void CFile64::SetEndOfFile() {
    const std::uint64_t at = GetPosition();
    if (::ftruncate(m_hFile, static_cast<off_t>(at)) != 0)
        ThrowErrno(errno, true);
}

}  // namespace tvx
