#pragma once

#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"
#include "test_support.h"

#include <string>
#include <vector>

namespace tvx::test {

// A folder of synthesized images for one test, removed with it.
class ImageDir : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return m_dir / name; }
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

    const TempDir m_dir;
};

}  // namespace tvx::test
