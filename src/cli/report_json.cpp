#include "cli/report_json.h"

#include "cli/report_text.h"
#include "core/format.h"
#include "core/string_table.h"
#include "formats/ix2/ix2.h"

namespace tvx::cli {

namespace {

void Member(JsonWriter& json, const char* key, const std::string& value) {
    json.Key(key);
    json.String(value);
}

void Member(JsonWriter& json, const char* key, std::int64_t value) {
    json.Key(key);
    json.Int(value);
}

void MemberBool(JsonWriter& json, const char* key, bool value) {
    json.Key(key);
    json.Bool(value);
}

void WriteCounts(JsonWriter& json, const TallyCounts& c) {
    json.Key("counts");
    json.BeginObject();
    Member(json, "unit_id", c.unitIdErrors);
    Member(json, "file_number", c.fileNumberErrors);
    Member(json, "sequence", c.sequenceErrors);
    Member(json, "checksum", c.checksumErrors);
    json.EndObject();
}

void WriteIrregular(JsonWriter& json, const AuthReport& r) {
    json.Key("irregular_runs");
    json.BeginArray();
    for (const IrregularRun& run : r.irregular.Runs()) {
        json.BeginObject();
        Member(json, "first_index", run.first);
        Member(json, "last_index", run.last);
        Member(json, "status", Format("0x%08X", run.status));
        Member(json, "start_ms", run.startMs);
        Member(json, "end_ms", run.endMs);
        const RunTexts texts = RunTextsOf(run, r);
        Member(json, "causes", texts.causes);
        Member(json, "position", texts.position);
        json.Key("clock_time");
        texts.clockTime ? json.String(*texts.clockTime) : json.Null();
        json.EndObject();
    }
    json.EndArray();
}

// Block numbers all ones are unknown: null.
void MemberBlock(JsonWriter& json, const char* key, std::uint64_t value) {
    json.Key(key);
    if (value == kUnknownBlock)
        json.Null();
    else
        json.Int(static_cast<std::int64_t>(value));
}

void WriteSplit(JsonWriter& json, const AuthReport& r) {
    if (r.chain) {
        Member(json, "slave_unit_id", r.slaveUnitId);
        Member(json, "slave_file_number", r.slaveFileNumber);
    }
    if (!r.isIx2)
        return;
    MemberBool(json, "chain", r.chain);
    if (r.splitFirst == kUnknownBlock) {
        json.Key("split_start");
        json.Null();
    } else {
        Member(json, "split_start", r.splitStart.Format(kDateFormat));
    }
    MemberBlock(json, "split_first", r.splitFirst);
    MemberBlock(json, "split_last", r.splitLast);
    Member(json, "split_blocks", static_cast<std::int64_t>(r.splitBlocks));
    MemberBool(json, "whole_split", r.wholeSplit);
}

}  // namespace

void WriteReportJson(JsonWriter& json, const AuthReport& r, const FileHash* hash) {
    json.BeginObject();
    Member(json, "path", r.path);
    if (hash != nullptr) {
        Member(json, "size", static_cast<std::int64_t>(hash->size));
        Member(json, "mtime", hash->mtime);
        Member(json, "sha256", hash->sha256);
    }
    Member(json, "format", r.format);
    Member(json, "unit_id", r.unitId);
    Member(json, "file_number", r.fileNumber);
    json.Key("start");
    if (r.structureJudged)
        json.String(r.start.Format(kDateFormat));
    else
        json.Null();   // IMG images carry no date
    Member(json, "sample_rate", r.sampleRate);
    Member(json, "bits", r.bits);
    Member(json, "channels", r.channels);
    Member(json, "blocks", r.statedBlocks);
    Member(json, "file_blocks", r.fileBlocks);
    Member(json, "excess_bytes", static_cast<std::int64_t>(r.excessBytes));
    MemberBool(json, "header_ok", r.headerOk);
    MemberBool(json, "complete", r.complete);
    MemberBool(json, "structure_judged", r.structureJudged);
    WriteSplit(json, r);
    MemberBool(json, "cancelled", r.cancelled);
    MemberBool(json, "authentic", IsAllAuthentic(r));
    Member(json, "duration", FormatMs(r.durations.durationMs));
    Member(json, "verified", FormatMs(r.durations.verifiedMs));
    Member(json, "irregularities", FormatMs(r.durations.irregularMs));
    Member(json, "unauthenticated", FormatMs(r.durations.unauthenticatedMs));
    Member(json, "duration_ms", r.durations.durationMs);
    Member(json, "verified_ms", r.durations.verifiedMs);
    Member(json, "irregular_ms", r.durations.irregularMs);
    Member(json, "unauthenticated_ms", r.durations.unauthenticatedMs);
    WriteCounts(json, r.counts);
    Member(json, "verified_blocks", r.counts.verifiedBlocks);
    Member(json, "irregular_blocks", r.counts.irregularBlocks);
    json.Key("voice_checksum_errors");
    if (r.voiceChain)
        json.Int(static_cast<std::int64_t>(r.voiceChecksumErrors));
    else
        json.Null();   // only IMG images carry the chain
    WriteIrregular(json, r);
    json.EndObject();
}

void BeginReportsJson(JsonWriter& json) {
    json.BeginObject();
    Member(json, "tool", std::string("tessivox-cli"));
    Member(json, "version", std::string(LoadString(102)));
    json.Key("images");
    json.BeginArray();
}

void EndReportsJson(JsonWriter& json) {
    json.EndArray();
    json.EndObject();
}

void WriteFailureJson(JsonWriter& json, const Error& error) {
    json.BeginObject();
    Member(json, "path", error.path);
    Member(json, "error", DescribeError(error));
    json.EndObject();
}

}  // namespace tvx::cli
