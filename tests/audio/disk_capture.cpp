#include "disk_capture.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace tvx::test {

namespace fs = std::filesystem;

DiskCapture::DiskCapture(const std::string& name) {
    m_dir = fs::temp_directory_path() /
            ("tvx-disk-" + name + "-" + std::to_string(::getpid()));
    fs::create_directories(m_dir);
    m_file = m_dir / "out.raw";
    ::setenv("SDL_DISKAUDIOFILE", m_file.c_str(), 1);
}

DiskCapture::~DiskCapture() {
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
}

std::vector<std::uint8_t> DiskCapture::Read() const {
    std::ifstream in(m_file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

::testing::AssertionResult HeardAsPlayed(const std::vector<std::uint8_t>& heard,
                                         const std::vector<std::uint8_t>& played,
                                         std::uint8_t silence) {
    constexpr std::size_t kBuffer = 512;
    std::size_t at = 0;
    for (std::size_t next = 0; next < played.size(); next += kBuffer) {
        const std::size_t n = std::min(kBuffer, played.size() - next);
        const auto buffer = played.begin() + static_cast<std::ptrdiff_t>(next);
        // A starved device fills in silence, and only between buffers.
        while (at + n <= heard.size() &&
               !std::equal(buffer, buffer + static_cast<std::ptrdiff_t>(n),
                           heard.begin() + static_cast<std::ptrdiff_t>(at))) {
            if (heard[at] != silence)
                return ::testing::AssertionFailure()
                       << "played byte " << next << " not heard: output byte " << at << " is "
                       << int{heard[at]} << " where the buffer or silence should be";
            ++at;
        }
        if (at + n > heard.size())
            return ::testing::AssertionFailure()
                   << "output ends (" << heard.size() << " bytes) before played byte " << next;
        at += n;
    }
    const auto stray = std::find_if(heard.begin() + static_cast<std::ptrdiff_t>(at), heard.end(),
                                    [&](std::uint8_t b) { return b != silence; });
    if (stray != heard.end())
        return ::testing::AssertionFailure()
               << "output byte " << (stray - heard.begin()) << " follows the played bytes";
    return ::testing::AssertionSuccess();
}

}  // namespace tvx::test
