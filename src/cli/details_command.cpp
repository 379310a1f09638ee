#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/report_text.h"
#include "export/details.h"
#include "formats/home_of.h"

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
    const Result<DetailsFields> details = HomeFor(path).Details(path);
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
