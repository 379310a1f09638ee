#include "cli/report_text.h"

#include "core/format.h"
#include "formats/ix2/ix2.h"

namespace tvx::cli {

namespace {

std::string Line(const char* label, const std::string& value) {
    return Format("%-21s %s\n", label, value.c_str());   // the longest label keeps a space
}

std::string Count(std::int32_t n) { return Format("%li", static_cast<long>(n)); }

std::string IrregularList(const AuthReport& r) {
    const auto& runs = r.irregular.Runs();
    std::string out = Format("Irregular blocks: %llu in %zu run%s\n",
                             static_cast<unsigned long long>(r.irregular.Records()), runs.size(),
                             runs.size() == 1 ? "" : "s");
    if (runs.empty())
        return out;
    out += Format("  %10s  %10s  %-10s  %12s  %12s\n", "first", "last", "status", "start ms",
                  "end ms");
    for (const IrregularRun& run : runs)
        out += Format("  %10ld  %10ld  0x%08X  %12lld  %12lld\n", static_cast<long>(run.first),
                      static_cast<long>(run.last), run.status,
                      static_cast<long long>(run.startMs), static_cast<long long>(run.endMs));
    return out;
}

std::string LengthText(const AuthReport& r) {
    const std::string blocks = Format("%u stated, %u in the file", r.statedBlocks, r.fileBlocks);
    if (r.excessBytes == 0)
        return blocks;
    return blocks + Format(", %llu bytes past them", static_cast<unsigned long long>(r.excessBytes));
}

std::string BlockNumber(std::uint64_t n) {
    return n == kUnknownBlock ? std::string("unknown") : Format("%llu", static_cast<unsigned long long>(n));
}

std::string SplitLines(const AuthReport& r) {
    const bool known = r.splitFirst != kUnknownBlock;
    std::string out =
        Line("Split Start:", known ? r.splitStart.Format(kDateFormat) : std::string("unknown"));
    out += Line("Split:", Format("blocks %s to %s, %llu blocks%s", BlockNumber(r.splitFirst).c_str(),
                                 BlockNumber(r.splitLast).c_str(),
                                 static_cast<unsigned long long>(r.splitBlocks),
                                 r.wholeSplit ? ", all in the file" : ", not all in the file"));
    return out;
}

}  // namespace

std::string VerifyText(const AuthReport& r, const FileHash* hash) {
    std::string out = r.path + "\n";
    if (hash != nullptr) {
        out += Line("Size:", Format("%llu bytes", static_cast<unsigned long long>(hash->size)));
        out += Line("Modified:", hash->mtime);
        out += Line("SHA-256:", hash->sha256);
    }
    out += Line("Format:", Format("%s, %d Hz, %d bits, %d channel%s", r.format.c_str(),
                                  r.sampleRate, r.bits, r.channels, r.channels == 1 ? "" : "s"));
    if (r.structureJudged)
        out += Line("Start:", r.start.Format(kDateFormat));   // IMG images carry no date
    out += Line("Unit ID:", UnitIdText(r));
    out += Line("File Number:", FileNumberText(r));
    out += Line("File Header:", HeaderVerdictText(r));
    out += Line("File Length:", LengthVerdictText(r));
    out += Line("Blocks:", LengthText(r));
    if (r.isIx2)
        out += SplitLines(r);
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
    if (r.voiceChain)
        out += Line("Voice CheckSum Errors:",
                    Format("%llu", static_cast<unsigned long long>(r.voiceChecksumErrors)));
    out += IrregularList(r);
    if (r.cancelled)
        out += "The scan was cancelled before the end.\n";
    out += Line("Verdict:", IsAllAuthentic(r) ? "authentic" : "not authentic");
    return out;
}

std::string FailureText(const Error& error) {
    return error.path + ": " + DescribeError(error);
}

}  // namespace tvx::cli
