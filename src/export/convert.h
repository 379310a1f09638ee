#pragma once

#include "core/error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tvx {

struct ConvertRequest {
    std::string source;          // path of the image
    std::string folder;          // destination folder
    std::uint16_t megabytes = 0; // only the low 16 bits of what the user typed arrive
    std::uint16_t minutes = 0;
};

enum class ConvertOutcome {
    Completed,   // every block converted, "Decryption Completed." and the last summary written
    Cancelled,   // Cancel, or an exception in the loop: "Decryption Cancelled."
    Declined,    // an earlier run's files were there and AskYesNo answered No: nothing written
    NotStarted,  // the source or segment 0's files could not be opened, or an output name
                 // was refused: nothing more written
};

// A file whose SHA-256 was taken from its bytes as they were written, and its size then.
struct WrittenDigest {
    std::string path;
    std::uint64_t size = 0;
    std::string sha256;
};

struct ConvertResult {
    ConvertOutcome outcome = ConvertOutcome::NotStarted;
    std::uint32_t segments = 0;        // segments opened
    std::uint64_t blocks = 0;          // blocks converted
    std::uint64_t irregularBlocks = 0; // blocks whose decode status was not 0 (header included)
    std::uint64_t unjudgedBlocks = 0;  // IMG: erased records inside the recording, converted as
                                       // silence without a verdict
    std::vector<std::string> files;    // every WAV and TXT written, in order
    std::vector<WrittenDigest> digests;  // the WAVs among them digested as they were written
    std::string manifest;              // NAME.sha256 once it is written, after a whole run
    // NotStarted: the path and errno that stopped it. Cancelled by a failure, or Completed
    // after a read failure ended the blocks early: that failure. Declined: the path of the
    // first file of the earlier run, the one the question named.
    Error error;
    // The failure in `error` is an output's (a name refused, a file that could not be created,
    // written or closed, the manifest), not the image's. A Completed run with a failure has
    // whole segments but no manifest.
    bool outputFailed = false;
};

}  // namespace tvx
