#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace tvx::test {

// The file SDL's disk driver writes its output to, fresh for each test that makes one (it
// points SDL_DISKAUDIOFILE there), removed with it.
class DiskCapture {
public:
    explicit DiskCapture(const std::string& name)
        : m_dir(std::filesystem::temp_directory_path() / ("tvx-disk-" + name + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(m_dir);
        ::setenv("SDL_DISKAUDIOFILE", (m_dir / "out.raw").c_str(), 1);
    }
    ~DiskCapture() { std::error_code ignored; std::filesystem::remove_all(m_dir, ignored); }
    DiskCapture(const DiskCapture&) = delete;
    DiskCapture& operator=(const DiskCapture&) = delete;

    std::vector<std::uint8_t> Read() const {
        std::ifstream in(m_dir / "out.raw", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path m_dir;
};

// What a device wrote is what was played: the played bytes in order, with runs of the
// silence byte only before them, after them and between their 512-byte buffers (where the
// device was kept waiting), and nothing else.
inline ::testing::AssertionResult HeardAsPlayed(const std::vector<std::uint8_t>& heard,
                                                const std::vector<std::uint8_t>& played, std::uint8_t silence) {
    const auto noise = [silence](std::uint8_t b) { return b != silence; };
    auto at = heard.begin();
    for (std::size_t next = 0; next < played.size(); next += 512) {
        const auto buffer = played.begin() + static_cast<std::ptrdiff_t>(next);
        const auto end = buffer + static_cast<std::ptrdiff_t>(std::min<std::size_t>(512, played.size() - next));
        const auto found = std::search(at, heard.end(), buffer, end);
        if (found == heard.end() || std::any_of(at, found, noise))
            return ::testing::AssertionFailure() << "played byte " << next << " is not heard next after output byte "
                                                 << (at - heard.begin()) << ", or only after other sound";
        at = found + (end - buffer);
    }
    if (const auto stray = std::find_if(at, heard.end(), noise); stray != heard.end())
        return ::testing::AssertionFailure() << "output byte " << (stray - heard.begin())
                                             << " follows the played bytes";
    return ::testing::AssertionSuccess();
}

}  // namespace tvx::test
