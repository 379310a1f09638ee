#include "cli/conversion_verdict.h"

#include "analysis/authenticate_ix2.h"
#include "analysis/im2_header.h"
#include "analysis/verdict.h"
#include "formats/format_of.h"
#include "readers/img.h"
#include "readers/ix2_source.h"

namespace tvx::cli {

namespace {

std::optional<Error> ReadShape(const std::string& path, SourceShape& shape) {
    switch (FormatOf(path).rules) {
    case ImageFormat::Ix2: {
        Ix2Source source;
        if (auto failed = OpenIx2Image(source, path))
            return failed;
        const CIx2& r = source.Reader();
        shape.structureSound = !source.IsHeaderBad();
        shape.exactLength = r.IsWholeSplit() && Ix2ExcessBytes(source.File().GetLength(),
                                                               r.m_nSplitBlocks, source.IsChain()) == 0;
        shape.blocks = r.m_nSplitBlocks;
        return std::nullopt;
    }
    case ImageFormat::Im2: {
        CFile64 file;
        CIm2 image;
        if (auto failed = OpenImage(file, path))
            return failed;
        if (auto failed = LoadIm2Header(file, path, image))
            return failed;
        shape.structureSound = !image.m_bHeaderBad;
        shape.exactLength = image.IsComplete() &&
                            Im2ExcessBytes(file.GetLength(), image.m_nStatedBlocks) == 0;
        shape.blocks = image.m_nStatedBlocks;
        return std::nullopt;
    }
    default: {
        CFile64 file;
        CImg img;
        if (auto failed = OpenImg(file, path, img))
            return failed;
        // Record 1 is the conversion's header, whose own checks it drops; verify judges it.
        shape.structureSound = !IsIrregular(img.CheckRecord());
        shape.exactLength = ImgExcessBytes(file.GetLength()) == 0;
        shape.blocks = img.m_nRecordCount > 0 ? img.m_nRecordCount - 1 : 0;
        return std::nullopt;
    }
    }
}

}  // namespace

Result<SourceShape> ReadSourceShape(const std::string& path) {
    SourceShape shape;
    try {
        if (auto failed = ReadShape(path, shape))
            return *failed;
    } catch (const CFileException& e) {
        Error error = e.ToError();
        error.path = path;
        return error;
    }
    return shape;
}

bool IsAuthenticConversion(const SourceShape& shape, const ConvertResult& result) {
    const std::uint64_t judged = result.irregularBlocks + result.unjudgedBlocks;
    const std::uint64_t regular = result.blocks > judged ? result.blocks - judged : 0;
    return IsAuthentic({.structureSound = shape.structureSound,
                        .exactLength = shape.exactLength,
                        .ranToEnd = result.outcome == ConvertOutcome::Completed,
                        .blocksToJudge = shape.blocks,
                        .authenticBlocks = regular,
                        .irregularRecords = result.irregularBlocks});
}

}  // namespace tvx::cli
