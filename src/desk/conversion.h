#pragma once

#include "export/convert.h"
#include "formats/format_of.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace tvx {

class CProgressDlg;
class Profile;

// What the convert dialog settled: the folder and the segment rule, as the passes take it.
struct ConvertChoice {
    std::string folder;
    std::uint16_t minutes = 0;     // the low 16 bits of what was typed
    std::uint16_t megabytes = 0;
};

// Runs the convert dialog from the last folder (or the home folder). Convert writes the
// folder back to the profile; Cancel gives nothing and changes nothing.
std::optional<ConvertChoice> AskConversion(QWidget* parent, Profile& profile);

// Converts the image with the progress dialog over `parent`, by the same pass the
// command-line tool runs, so both write the same bytes. The window's own reader must have let
// go of the file before, and gets it back after, whatever the outcome. `watch`, when given,
// sees the progress dialog before the pass starts (tests drive it through this). `format` is
// what the image is read as: FormatOf's rules for the path.
ConvertResult RunConversion(QWidget* parent, const std::string& imagePath, ImageFormat format,
                            const ConvertChoice& choice,
                            const std::function<void(CProgressDlg&)>& watch = {});

// The whole "Convert to Wav" command: the dialog, then releaseFile, the pass and reopenFile.
// reopenFile runs whenever releaseFile did, also when the pass ends by an exception.
// Nothing when the dialog was cancelled.
std::optional<ConvertResult> ConvertToWav(QWidget* parent, Profile& profile,
                                          const std::string& imagePath, ImageFormat format,
                                          const std::function<void()>& releaseFile,
                                          const std::function<void()>& reopenFile);

}  // namespace tvx
