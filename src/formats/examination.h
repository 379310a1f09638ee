#pragma once

#include "analysis/auth_tally.h"
#include "analysis/examination_report.h"
#include "core/error.h"
#include "core/file_hash.h"
#include "core/hooks.h"

#include <cstddef>
#include <optional>
#include <string>

namespace tvx {

// The command-line tool's reads: about half a megabyte, which stays in the processor's L2
// cache until it is judged and makes the calls cost nothing; the verdicts are the reader's own.
inline constexpr std::size_t kBatchPieceRecords = 1024;

// One image examined: its authentication and, when asked, the hash of every byte.
struct Examined {
    Result<AuthReport> report;
    std::optional<FileHash> hash;
};

// With a hash the digest is taken on the second core while the scan runs on this one. Cancel
// (the hooks), or a scan whose outcome makes the digest moot, stops it; a file that changed
// under the scan has no verdict.
Examined ExamineImage(const std::string& path, Hooks& hooks, AuthTally& tally, bool hash,
                      std::size_t pieceRecords);

// Columns of the report's overview waveform.
inline constexpr std::uint16_t kReportColumns = 1000;

// Everything the examination report shows, from one authentication and hash of the image
// and its peaks pass; the report's tool and version are this build's.
Result<ReportData> ExamineForReport(const std::string& path, Hooks& hooks,
                                    std::size_t pieceRecords);

}  // namespace tvx
