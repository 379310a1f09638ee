#pragma once

#include "core/hooks.h"

#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tvx::test {

// A folder of synthesized images for one test, removed with it.
class ImageDir : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(m_dir); }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::string Im2(const std::string& name, const synth::Im2Options& o, const std::vector<synth::Fault>& f = {}) {
        EXPECT_TRUE(synth::WriteIm2File(Path(name), o, f)) << name;
        return Path(name);
    }
    std::string Ix2(const std::string& name, const synth::Ix2Options& o, const std::vector<synth::Fault>& f = {}) {
        EXPECT_TRUE(synth::WriteIx2File(Path(name), o, f)) << name;
        return Path(name);
    }
    std::string Img(const std::string& name, const synth::ImgOptions& o, const std::vector<synth::ImgFault>& f = {}) {
        EXPECT_TRUE(synth::WriteImgFile(Path(name), o, f)) << name;
        return Path(name);
    }

    const std::filesystem::path m_dir = std::filesystem::temp_directory_path() /
        (std::string("tvx-analysis-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

// Counts the UI's pumps, keeps its notices and cancels after a number of polls (never when -1).
class CountingHooks : public Hooks {
public:
    explicit CountingHooks(int cancelAfter = -1) : m_cancelAfter(cancelAfter) {}
    bool PumpWaitingMessage() override { return ++pumps > 0; }
    bool IsCancelled() override { return m_cancelAfter >= 0 && ++m_polls > m_cancelAfter; }
    void Notice(const std::string&, const std::string& text) override { notices.push_back(text); }

    int pumps = 0;
    std::vector<std::string> notices;

private:
    int m_cancelAfter, m_polls = 0;
};

}  // namespace tvx::test
