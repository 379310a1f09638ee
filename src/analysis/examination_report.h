#pragma once

#include "analysis/auth_tally.h"
#include "analysis/authenticate.h"
#include "analysis/peaks.h"
#include "core/file_hash.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tvx {

// Calendar times as the window shows them: "Fri, 14 Mar 2008, 09:26:53".
inline constexpr const char* kDateFormat = "%a, %d %b %Y, %H:%M:%S";

// Every byte the image should hold, judged and authentic: the header, exactly the blocks it
// states (an IX2 file: those of its split) and, for IMG, the voice-image checksum chain.
bool IsAllAuthentic(const AuthReport& report);

// As the main window shows them: a chain's own values with the outer image's as the slave.
std::string UnitIdText(const AuthReport& report);
std::string FileNumberText(const AuthReport& report);

// The "File Header:" and "File Length:" verdicts in words; IMG images have neither.
std::string HeaderVerdictText(const AuthReport& report);
std::string LengthVerdictText(const AuthReport& report);

// One line of the examination report. `key` names the same value in verify --json (a nested
// one by its path, "counts.unit_id"), so the printed report and the JSON cannot drift apart.
struct ReportField {
    std::string key;
    std::string label;
    std::string value;
};

// An irregular run in words, as the report prints it and the JSON carries it beside its numbers.
struct RunTexts {
    std::string status;      // "0x80000004"
    std::string causes;      // "Sequence / Timing"
    std::string position;    // where it starts in the recording, "00:01:02.003"
    std::optional<std::string> clockTime;   // the wall-clock time it starts; IMG has no clock
};
RunTexts RunTextsOf(const IrregularRun& run, const AuthReport& report);

// The overall verdict in one sentence a reader outside the trade understands.
std::string VerdictSentence(const AuthReport& report);

// Everything an examination report holds: who examined what and when, the image's identity
// and hash, the verdicts, the overview waveform and the strip's states.
struct ReportData {
    std::string tool;
    std::string version;
    std::string examinedAt;   // ISO 8601 UTC, when the examination ran
    AuthReport report;
    FileHash hash;
    Peaks peaks;
    std::shared_ptr<const AuthTally> tally;   // its strip holds every block's verdict

    // In the order the report prints them: the file, the recording, the "File Header:" and
    // "File Length:" verdicts, "Authentication Results:" and "Irregular Packets:".
    std::vector<ReportField> FileFields() const;
    std::vector<ReportField> RecordingFields() const;
    std::vector<ReportField> StructureFields() const;
    std::vector<ReportField> ResultFields() const;
    std::vector<ReportField> PacketFields() const;
};

}  // namespace tvx
