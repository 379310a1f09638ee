#pragma once

// What the fuzz targets share: a scratch folder for the input written out as an image (the
// engine works on paths), a check that survives release builds, and the output checks every
// conversion must pass whatever the image held.

#include "analysis/authenticate.h"
#include "core/hooks.h"
#include "export/convert.h"
#include "formats/format_of.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tvx::fuzz {

// A fresh folder for one input, removed with everything in it when the object goes. It lies
// under $TVX_FUZZ_TMP, else /dev/shm when that is a writable tmpfs, else $TMPDIR or /tmp.
class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // Writes bytes to a file of that name in the folder; returns its path.
    std::string Write(const std::string& name, std::span<const std::uint8_t> bytes) const;
    // An empty sub-folder of the scratch folder, made on the first call for a name.
    std::string Folder(const std::string& name) const;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

std::vector<std::uint8_t> ReadFile(const std::string& path);

// An invariant of ours that the input broke: printed and turned into a crash that the fuzzer
// keeps, in every build type (assert vanishes under NDEBUG).
[[noreturn]] void Fail(const char* what, const char* file, int line);
#define TVX_FUZZ_CHECK(cond)                                     \
    do {                                                         \
        if (!(cond))                                             \
            ::tvx::fuzz::Fail(#cond, __FILE__, __LINE__);        \
    } while (0)

// What every finished conversion leaves, whatever the image: each WAV's RIFF and data sizes
// describe its bytes, and each text ends in the completion or the cancel line of its segment.
void CheckConversionFiles(const ConvertResult& result);

// Every file in a folder with its bytes, sorted by name, for comparing two conversions.
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> FolderContents(
    const std::string& folder);

// Scans the image twice, one record and 64 records a read, and checks that both scans judge
// alike, as they must; then prints the report as the tool would. Returns the first report.
Result<AuthReport> AuthenticateTwice(const std::string& path, ImageFormat format);

// The overview for a handful of columns, checked against the block count the scan saw.
void BuildAndCheckPeaks(const std::string& path, ImageFormat format, const Result<AuthReport>& report);

// Converts with a limit of one minute a segment into a fresh folder and checks its files.
ConvertResult ConvertInto(const std::string& path, ImageFormat format, const std::string& folder,
                          bool readAhead = true);

}  // namespace tvx::fuzz
