#include "formats/im2/im2_header.h"

namespace tvx {

std::optional<Error> OpenImage(CFile64& file, const std::string& path) {
    CFileException failure;
    if (file.Open(path, kGenericRead, kShareRead | kShareWrite, kOpenExisting, &failure,
                  kFlagSequentialScan))
        return std::nullopt;
    Error e = failure.ToError();
    e.path = path;
    return e;
}

std::optional<Error> LoadIm2Header(CFile64& file, const std::string& path, CIm2& image) {
    try {
        file.SeekToBegin();
        if (file.Read(image.m_block.data(), kRecordSize) != kRecordSize)
            return Error{Cause::BadFormat, 0, path, 0,
                         "The file is too short to hold a header record"};
        image.InitFromHeader();
        image.m_bHeaderBad = image.IsHeaderBad();
        image.SetFileLength(file.GetLength());
    } catch (const CFileException& e) {
        Error error = e.ToError();
        error.path = path;
        return error;
    }
    return std::nullopt;
}

std::optional<Error> LoadIm2Header(const std::string& path, CIm2& image) {
    CFile64 file;
    if (auto failed = OpenImage(file, path))
        return failed;
    return LoadIm2Header(file, path, image);
}

}  // namespace tvx
