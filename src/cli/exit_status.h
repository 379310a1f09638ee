#pragma once

namespace tvx::cli {

// The tool's exit statuses, for scripts.
enum ExitStatus : int {
    kExitAuthentic = 0,     // done, every block authentic
    kExitIrregular = 1,     // irregular blocks found, or a conversion cancelled or refused
    kExitUsage = 2,
    kExitUnreadable = 3,    // an image could not be opened or read
};

inline int Worse(int a, int b) { return a > b ? a : b; }

}  // namespace tvx::cli
