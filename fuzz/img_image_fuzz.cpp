// An arbitrary byte string as an IMG image: opened, authenticated, described, drawn and
// converted. Record 1 names the sample rate, so a hostile one makes segments of a few bytes.

#include "formats/img/img.h"
#include "formats/img/img_details.h"
#include "fuzz/fuzz_support.h"

using namespace tvx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Scratch scratch;
    const std::string path = scratch.Write("V00007.IMG", {data, size});

    const Result<AuthReport> report = fuzz::AuthenticateTwice(path, ImageFormat::Img);
    {
        CFile64 file;
        CImg img;
        if (!OpenImg(file, path, img))
            (void)ImgDetails(img);
    }
    fuzz::BuildAndCheckPeaks(path, ImageFormat::Img, report);
    const ConvertResult result = fuzz::ConvertInto(path, ImageFormat::Img, scratch.Folder("out"));
    TVX_FUZZ_CHECK(result.outcome == ConvertOutcome::Completed);
    return 0;
}
