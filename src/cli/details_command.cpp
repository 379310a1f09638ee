#include "analysis/im2_header.h"
#include "analysis/image_format.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/report_text.h"
#include "core/format.h"
#include "export/details.h"

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

}  // namespace

int RunDetails(const Options& options) {
    const std::string& path = options.images[0];
    if (ChooseFormat(path) != ImageFormat::Im2) {
        std::fprintf(stderr, "tessivox-cli: %s: this version describes IM2 images only\n",
                     path.c_str());
        return kExitUnreadable;
    }
    CIm2 image;
    if (auto failed = LoadIm2Header(path, image)) {
        std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(*failed).c_str());
        return kExitUnreadable;
    }
    // The dialog's fields hold 16-bit values.
    const auto u16 = [](int v) { return unsigned{static_cast<std::uint16_t>(v)}; };
    std::string out = DetailsCaption("IM2") + "\n";
    out += "Unit ID: " + image.GetUnitId() + "\n";
    out += Format("Recording Number: %u\n", unsigned{image.GetFileNumber()});
    out += Format("Sample Rate (Hz): %u\n", u16(image.m_nSampleRate));
    out += Format("Channels: %u\n", u16(image.GetChannels()));
    out += Format("Bits Per Sample: %u\n", u16(image.m_nStoredBits));
    out += "Time and Length Details:\n";
    out += TerminalLines(Im2DetailsText(image));
    std::fputs(out.c_str(), stdout);
    return kExitAuthentic;
}

}  // namespace tvx::cli
