#include "analysis/examination_report.h"

#include "core/format.h"

namespace tvx {

namespace {

std::string Number(std::int64_t n) { return Format("%lld", static_cast<long long>(n)); }

}  // namespace

bool IsAllAuthentic(const AuthReport& r) { return IsAuthentic(VerdictOf(r)); }

std::string UnitIdText(const AuthReport& r) {
    return r.chain ? Format("%s (Slave %s)", r.unitId.c_str(), r.slaveUnitId.c_str()) : r.unitId;
}

std::string FileNumberText(const AuthReport& r) {
    return r.chain ? Format("%u (Slave %u)", unsigned{r.fileNumber}, unsigned{r.slaveFileNumber})
                   : Format("%u", unsigned{r.fileNumber});
}

std::string HeaderVerdictText(const AuthReport& r) {
    return !r.structureJudged ? "not judged" : r.headerOk ? "sound" : "faulty";
}

std::string LengthVerdictText(const AuthReport& r) {
    return !r.structureJudged ? "not judged" : r.complete ? "complete" : "faulty (incomplete)";
}

RunTexts RunTextsOf(const IrregularRun& run, const AuthReport& r) {
    RunTexts texts{Format("0x%08X", run.status), CauseWords(run.status), FormatMs(run.startMs),
                   std::nullopt};
    if (r.structureJudged)   // IMG images carry no date
        texts.clockTime = (r.start + COleDateTimeSpan::FromMs(run.startMs)).Format(kDateFormat);
    return texts;
}

std::string VerdictSentence(const AuthReport& r) {
    if (IsAllAuthentic(r))
        return "The image is authentic: every block it should hold was examined and found "
               "authentic.";
    if (r.cancelled)
        return "The image is not shown to be authentic: the examination was stopped before "
               "the end.";
    const VerdictFacts facts = VerdictOf(r);
    std::string why;
    if (!facts.structureSound)
        why += ", its header is faulty";
    if (!facts.exactLength)
        why += ", it does not hold exactly the blocks it states";
    if (facts.irregularRecords > 0)
        why += Format(", %llu record%s in %zu run%s %s irregular",
                      static_cast<unsigned long long>(facts.irregularRecords),
                      facts.irregularRecords == 1 ? "" : "s", r.irregular.Runs().size(),
                      r.irregular.Runs().size() == 1 ? "" : "s",
                      facts.irregularRecords == 1 ? "is" : "are");
    if (facts.voiceChecksumErrors > 0)
        why += ", its voice-image checksum chain is broken";
    if (why.empty())
        why = ", not every block it should hold was found authentic";
    return "The image is NOT authentic: " + why.substr(2) + ".";
}

std::vector<ReportField> ReportData::FileFields() const {
    return {{"path", "Path", report.path},
            {"size", "Size (bytes)", Number(static_cast<std::int64_t>(hash.size))},
            {"mtime", "Modified (UTC)", hash.mtime},
            {"sha256", "SHA-256", hash.sha256}};
}

std::vector<ReportField> ReportData::RecordingFields() const {
    std::vector<ReportField> fields{
        {"format", "Format", report.format},
        {"unit_id", "Unit ID", report.unitId},
        {"file_number", "File Number", Number(report.fileNumber)}};
    if (report.chain) {
        fields.push_back({"slave_unit_id", "Slave Unit ID", report.slaveUnitId});
        fields.push_back({"slave_file_number", "Slave File Number", Number(report.slaveFileNumber)});
    }
    fields.push_back({"start", "Recording Start",
                      report.structureJudged ? report.start.Format(kDateFormat) : "not recorded"});
    fields.push_back({"sample_rate", "Sample Rate (Hz)", Number(report.sampleRate)});
    fields.push_back({"bits", "Bits Per Sample", Number(report.bits)});
    fields.push_back({"channels", "Channels", Number(report.channels)});
    fields.push_back({"blocks", "Blocks Stated", Number(report.statedBlocks)});
    fields.push_back({"file_blocks", "Blocks In The File", Number(report.fileBlocks)});
    return fields;
}

std::vector<ReportField> ReportData::StructureFields() const {
    return {{"header_ok", "File Header:", HeaderVerdictText(report)},
            {"complete", "File Length:", LengthVerdictText(report)}};
}

std::vector<ReportField> ReportData::ResultFields() const {
    const AuthDurations& d = report.durations;
    return {{"duration", "Duration", FormatMs(d.durationMs)},
            {"verified", "Verified", FormatMs(d.verifiedMs)},
            {"irregularities", "Irregularities", FormatMs(d.irregularMs)},
            {"unauthenticated", "Unauthenticated", FormatMs(d.unauthenticatedMs)}};
}

std::vector<ReportField> ReportData::PacketFields() const {
    const TallyCounts& c = report.counts;
    std::vector<ReportField> fields{{"counts.unit_id", "Unit ID", Number(c.unitIdErrors)},
                                    {"counts.file_number", "File Number", Number(c.fileNumberErrors)},
                                    {"counts.sequence", "Sequence / Timing", Number(c.sequenceErrors)},
                                    {"counts.checksum", "CheckSum", Number(c.checksumErrors)}};
    if (report.voiceChain)
        fields.push_back({"voice_checksum_errors", "Voice CheckSum",
                          Number(static_cast<std::int64_t>(report.voiceChecksumErrors))});
    return fields;
}

}  // namespace tvx
