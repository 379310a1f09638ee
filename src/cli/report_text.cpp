#include "cli/report_text.h"

#include "core/format.h"

namespace tvx::cli {

namespace {

std::string Line(const char* label, const std::string& value) {
    return Format("%-22s%s\n", label, value.c_str());
}

std::string Count(std::int32_t n) { return Format("%li", static_cast<long>(n)); }

std::string IrregularList(const AuthReport& r) {
    std::string out = Format("Irregular blocks: %zu\n", r.irregular.size());
    if (r.irregular.empty())
        return out;
    out += Format("  %10s  %-10s  %s\n", "index", "status", "ms");
    for (const IrregularBlock& b : r.irregular)
        out += Format("  %10ld  0x%08X  %lld\n", static_cast<long>(b.index), b.status,
                      static_cast<long long>(b.ms));
    return out;
}

}  // namespace

bool IsAllAuthentic(const AuthReport& r) {
    return r.headerOk && !r.cancelled && r.irregular.empty() &&
           static_cast<std::uint32_t>(r.counts.verifiedBlocks) == r.statedBlocks;
}

std::string VerifyText(const AuthReport& r) {
    std::string out = r.path + "\n";
    out += Line("Format:", Format("%s, %d Hz, %d bits, %d channel%s", r.format.c_str(),
                                  r.sampleRate, r.bits, r.channels, r.channels == 1 ? "" : "s"));
    out += Line("Start:", r.start.Format(kDateFormat));
    out += Line("Unit ID:", r.unitId);
    out += Line("File Number:", Format("%u", unsigned{r.fileNumber}));
    out += Line("File Header:", r.headerOk ? "sound" : "faulty");
    out += Line("File Length:", r.complete ? "complete" : "faulty (incomplete)");
    out += Line("Blocks:", Format("%u stated, %u in the file", r.statedBlocks, r.fileBlocks));
    out += "Authentication Results:\n";
    out += Line("  Duration:", FormatMs(r.durations.durationMs));
    out += Line("  Verified:", FormatMs(r.durations.verifiedMs));
    out += Line("  Irregularities:", FormatMs(r.durations.irregularMs));
    out += Line("  Unauthenticated:", FormatMs(r.durations.unauthenticatedMs));
    out += "Irregular Packets:\n";
    out += Line("  Unit ID:", Count(r.counts.unitIdErrors));
    out += Line("  File Number:", Count(r.counts.fileNumberErrors));
    out += Line("  Sequence / Timing:", Count(r.counts.sequenceErrors));
    out += Line("  CheckSum:", Count(r.counts.checksumErrors));
    out += IrregularList(r);
    if (r.cancelled)
        out += "The scan was cancelled before the end.\n";
    return out;
}

std::string FailureText(const Error& error) {
    return error.path + ": " + DescribeError(error);
}

}  // namespace tvx::cli
