#include "export/details.h"

#include "synth/synth.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

TEST(Details, CaptionAndIm2Text) {
    EXPECT_EQ(DetailsCaption("IM2"), "The details of the loaded IM2 file are:");
    // 16-bit mono: 116,344 blocks of 32 ms are 1:02:03.
    CIm2 image;
    image.m_block = synth::HeaderRecord({.storedBits = 16, .blocks = 116344});
    image.InitFromHeader();
    for (const bool complete : {true, false}) {
        image.SetFileLength(528ull * 116345 - (complete ? 0 : 1));
        EXPECT_EQ(Im2DetailsText(image), std::string("Recording:\r\n"
                                                     "Start:\tFri, 14 Mar 2008, 09:26:53\r\n"
                                                     "Duration:\t1:02:03\r\n"
                                                     "Complete:\t") +
                                             (complete ? "YES" : "NO") + "\r\n");
    }
}

}  // namespace
}  // namespace tvx
