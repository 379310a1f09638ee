#include "analysis/authenticate_ix2.h"
#include "analysis/im2_header.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/report_text.h"
#include "cli/unknown_format.h"
#include "core/format.h"
#include "export/details.h"
#include "formats/format_of.h"
#include "readers/img.h"
#include "readers/ix2_source.h"

#include <cstdio>

namespace tvx::cli {

namespace {

// The dialog's text box breaks lines at CR LF; a terminal wants LF.
std::string TerminalLines(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

Result<DetailsFields> DetailsOf(const std::string& path) {
    if (auto unknown = UnknownFormat(path))
        return *unknown;
    switch (FormatOf(path).rules) {
    case ImageFormat::Ix2: {
        Ix2Source source;
        if (auto failed = OpenIx2Image(source, path))
            return *failed;
        return Ix2Details(source.Reader());
    }
    case ImageFormat::Im2: {
        CIm2 image;
        if (auto failed = LoadIm2Header(path, image))
            return *failed;
        return Im2Details(image);
    }
    default: {
        CFile64 file;
        CImg image;
        if (auto failed = OpenImg(file, path, image))
            return *failed;
        return ImgDetails(image);
    }
    }
}

}  // namespace

int RunDetails(const Options& options) {
    const Result<DetailsFields> details = DetailsOf(options.images[0]);
    if (!details) {
        std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(details.GetError()).c_str());
        return kExitUnreadable;
    }
    const DetailsFields& f = *details;
    std::string out = DetailsCaption(f.formatName) + "\n";
    out += "Unit ID: " + f.unitText + "\n";
    out += "Recording Number: " + f.number + "\n";
    out += "Sample Rate (Hz): " + f.sampleRate + "\n";
    out += "Channels: " + f.channels + "\n";
    out += "Bits Per Sample: " + f.bits + "\n";
    out += "Time and Length Details:\n";
    out += TerminalLines(f.details);
    std::fputs(out.c_str(), stdout);
    return kExitAuthentic;
}

}  // namespace tvx::cli
