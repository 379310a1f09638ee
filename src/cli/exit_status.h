#pragma once

namespace tvx::cli {

// The tool's exit statuses, for scripts. A larger value is the graver outcome, so a batch
// reports the worst of its images with Worse.
enum ExitStatus : int {
    kExitAuthentic = 0,     // done, every byte the image should hold judged authentic
    kExitIrregular = 1,     // not authentic: irregular, incomplete or padded
    kExitUsage = 2,
    kExitUnreadable = 3,    // an image could not be opened or read
    kExitOutput = 4,        // an output could not be written (folder, segment, stdout)
    kExitInterrupted = 130, // ended by a signal (Ctrl-C, SIGTERM, SIGHUP)
};

inline int Worse(int a, int b) { return a > b ? a : b; }

}  // namespace tvx::cli
