#include "analysis/peaks.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/report_text.h"
#include "formats/home_of.h"

#include <cstdio>
#include <string>

namespace tvx::cli {

namespace {

// The pass tells a file it cannot open as the window would, in a message box; here it is
// the reason on stderr and the status of an unreadable image.
class PeaksHooks : public Hooks {
public:
    void Notice(const std::string& /*caption*/, const std::string& text) override {
        m_failure = text;
    }
    const std::string& Failure() const { return m_failure; }

private:
    std::string m_failure;
};

}  // namespace

int RunPeaks(const Options& options) {
    const std::string& path = options.images[0];
    if (auto unknown = UnknownFormat(path)) {
        std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(*unknown).c_str());
        return kExitUnreadable;
    }
    PeaksHooks hooks;
    const Peaks peaks = BuildPeaks(path, HomeFor(path).OpenBlocks(path), options.width, hooks);
    if (!hooks.Failure().empty()) {
        std::fprintf(stderr, "tessivox-cli: %s\n", hooks.Failure().c_str());
        return kExitUnreadable;
    }
    std::printf("blocks: %u\ncolumns: %u of %u\nchannels: %d\n", peaks.blocks,
                unsigned{peaks.columnsDone}, unsigned{peaks.width}, peaks.channels);
    for (std::size_t i = 0; i < peaks.columnsDone; ++i) {
        if (peaks.channels == 2)
            std::printf("%zu\t%u\t%u\n", i, unsigned{peaks.peak1[i]}, unsigned{peaks.peak2[i]});
        else
            std::printf("%zu\t%u\n", i, unsigned{peaks.peak1[i]});
    }
    return kExitAuthentic;
}

}  // namespace tvx::cli
