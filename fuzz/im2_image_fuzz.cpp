// An arbitrary byte string as an IM2 image: opened, authenticated, described, drawn and
// converted, the conversion once with the read-ahead worker and once without, which must
// leave the same files.

#include "formats/im2/im2_details.h"
#include "formats/im2/im2_header.h"
#include "fuzz/fuzz_support.h"

using namespace tvx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Scratch scratch;
    const std::string path = scratch.Write("F00012.IM2", {data, size});

    const Result<AuthReport> report = fuzz::AuthenticateTwice(path, ImageFormat::Im2);
    CIm2 image;
    if (!LoadIm2Header(path, image))
        (void)Im2Details(image);
    fuzz::BuildAndCheckPeaks(path, ImageFormat::Im2, report);

    const std::string plain = scratch.Folder("plain");
    const std::string ahead = scratch.Folder("ahead");
    const ConvertResult one = fuzz::ConvertInto(path, ImageFormat::Im2, plain, false);
    const ConvertResult two = fuzz::ConvertInto(path, ImageFormat::Im2, ahead, true);
    TVX_FUZZ_CHECK(one.outcome == ConvertOutcome::Completed);
    TVX_FUZZ_CHECK(one.outcome == two.outcome && one.blocks == two.blocks &&
                   one.segments == two.segments && one.irregularBlocks == two.irregularBlocks);
    TVX_FUZZ_CHECK(fuzz::FolderContents(plain) == fuzz::FolderContents(ahead));
    return 0;
}
