#include "synth/image_builder.h"
#include "synth/streamed_file.h"
#include "synth/synth.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tvx::synth {
namespace {

// Records go out in batches of about half a megabyte: few system calls, constant memory.
constexpr std::size_t kBatchRecords = 1024;

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// A file that only takes the final name once it is whole.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& path) : m_path(path) {
        const std::size_t slash = path.rfind('/');
        const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
        const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
        m_temp = dir + "." + base + "." + std::to_string(::getpid()) + ".part";
        m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        const int failure = errno;   // the caller reports the error that stopped the write
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_done)
            ::unlink(m_temp.c_str());
        errno = failure;
    }

    int Fd() const { return m_fd; }

    bool Commit() {
        // No fsync: the rename guards against a writer that stops, which is what the name
        // promises; benchmark images of gigabytes need not wait for the disk.
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0)
            return false;
        m_done = ::rename(m_temp.c_str(), m_path.c_str()) == 0;
        return m_done;
    }

private:
    std::string m_path;
    std::string m_temp;
    int m_fd = -1;
    bool m_done = false;
};

}  // namespace

bool WriteIm2File(const std::string& path, const Im2Options& options,
                  std::span<const Fault> faults) {
    TemporaryFile file(path);
    if (file.Fd() < 0)
        return false;
    const ImageBuilder builder(options, faults);
    std::vector<std::uint8_t> batch;
    batch.reserve(kBatchRecords * kRecordSize);
    Record record{};
    for (std::uint64_t at = 0; at < builder.RecordCount(); ++at) {
        const std::size_t kept = builder.RecordAt(at, record);
        batch.insert(batch.end(), record.begin(), record.begin() + static_cast<std::ptrdiff_t>(kept));
        if (batch.size() >= kBatchRecords * kRecordSize) {
            if (!WriteAll(file.Fd(), batch.data(), batch.size()))
                return false;
            batch.clear();
        }
    }
    if (!WriteAll(file.Fd(), batch.data(), batch.size()))
        return false;
    return file.Commit();
}

bool WriteStreamed(const std::string& path,
                   const std::function<bool(std::vector<std::uint8_t>& batch)>& next) {
    TemporaryFile file(path);
    if (file.Fd() < 0)
        return false;
    std::vector<std::uint8_t> batch;
    for (bool more = true; more;) {
        batch.clear();
        more = next(batch);
        if (!WriteAll(file.Fd(), batch.data(), batch.size()))
            return false;
    }
    return file.Commit();
}

bool WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
    TemporaryFile file(path);
    return file.Fd() >= 0 && WriteAll(file.Fd(), bytes.data(), bytes.size()) && file.Commit();
}

std::vector<std::uint8_t> MakeIm2(const Im2Options& options, std::span<const Fault> faults) {
    const ImageBuilder builder(options, faults);
    std::vector<std::uint8_t> image;
    image.reserve(builder.Size());
    Record record{};
    for (std::uint64_t at = 0; at < builder.RecordCount(); ++at) {
        const std::size_t kept = builder.RecordAt(at, record);
        image.insert(image.end(), record.begin(), record.begin() + static_cast<std::ptrdiff_t>(kept));
    }
    return image;
}

std::uint64_t ImageSize(const Im2Options& options, std::span<const Fault> faults) {
    return ImageBuilder(options, faults).Size();
}

Record HeaderRecord(const Im2Options& options) { return ImageBuilder(options, {}).Header(); }

Record DataRecord(const Im2Options& options, std::uint32_t index) {
    return ImageBuilder(options, {}).Data(index);
}

}  // namespace tvx::synth
