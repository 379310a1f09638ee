#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tvx::test {

// The file SDL's disk driver writes its output to, fresh for each test that makes one (it
// points SDL_DISKAUDIOFILE there), removed with it.
class DiskCapture {
public:
    explicit DiskCapture(const std::string& name);
    ~DiskCapture();
    DiskCapture(const DiskCapture&) = delete;
    DiskCapture& operator=(const DiskCapture&) = delete;

    std::vector<std::uint8_t> Read() const;

private:
    std::filesystem::path m_dir;
    std::filesystem::path m_file;
};

// What a device wrote is what was played: the played bytes in order, with runs of the
// silence byte only before them, after them and between their 512-byte buffers (where the
// device was kept waiting), and nothing else.
::testing::AssertionResult HeardAsPlayed(const std::vector<std::uint8_t>& heard,
                                         const std::vector<std::uint8_t>& played,
                                         std::uint8_t silence);

}  // namespace tvx::test
