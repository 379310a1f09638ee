#pragma once

#include <QRect>

#include <cstddef>
#include <span>

namespace tvx::app {

// The main window's controls by id, as the program has always numbered them.
namespace id {
inline constexpr int kExit = 2;
inline constexpr int kBrowse = 1003;
inline constexpr int kBackTrack = 1007;
inline constexpr int kPlay = 1009;
inline constexpr int kPause = 1010;
inline constexpr int kStop = 1011;
inline constexpr int kWaveView = 1015;
inline constexpr int kDecryptBar = 1019;
inline constexpr int kStatus = 1022;
inline constexpr int kResultsGroup = 1023;
inline constexpr int kPacketsGroup = 1024;
inline constexpr int kDurationLabel = 1027;
inline constexpr int kVerifiedLabel = 1028;
inline constexpr int kUnauthenticatedLabel = 1029;
inline constexpr int kUnitIdCountLabel = 1030;
inline constexpr int kChecksumCountLabel = 1031;
inline constexpr int kDuration = 1032;
inline constexpr int kVerified = 1033;
inline constexpr int kUnauthenticated = 1034;
inline constexpr int kUnitIdCount = 1035;
inline constexpr int kFileNumberCount = 1036;
inline constexpr int kChecksumCount = 1037;
inline constexpr int kIrregularitiesLabel = 1038;
inline constexpr int kIrregularities = 1039;
inline constexpr int kBoost = 1040;
inline constexpr int kUnitIdLabel = 1041;
inline constexpr int kSequenceCount = 1042;
inline constexpr int kSlider = 1050;
inline constexpr int kFileNumberLabel = 1060;
inline constexpr int kUnitId = 1061;
inline constexpr int kFileNumber = 1062;
inline constexpr int kFileNumberCountLabel = 1063;
inline constexpr int kTimeLine = 1064;
inline constexpr int kDate = 1065;
inline constexpr int kSpin1 = 1066;
inline constexpr int kSpin2 = 1067;
inline constexpr int kSequenceCountLabel = 1068;
inline constexpr int kFileHeaderLabel = 1080;
inline constexpr int kFileLengthLabel = 1081;
inline constexpr int kFileHeaderIcon = 1082;
inline constexpr int kFileLengthIcon = 1083;
inline constexpr int kNone = -1;   // pictures and frames nothing refers to

// Menu commands.
inline constexpr int kFileOpen = 57601;
inline constexpr int kAppExit = 57665;
inline constexpr int kAuthenticate = 32771;
inline constexpr int kDetails = 32773;
inline constexpr int kAbout = 32774;
inline constexpr int kHelp = 32775;
inline constexpr int kConvert = 32776;
// Commands of this program's own, beyond the original menu: the transport's keys shown in a
// menu, walking through the irregular runs and their table.
inline constexpr int kIrregularBlocks = 32780;
inline constexpr int kPlayPause = 32781;
inline constexpr int kStopCommand = 32782;
inline constexpr int kToStart = 32783;
inline constexpr int kNextRun = 32784;
inline constexpr int kPreviousRun = 32785;
inline constexpr int kSaveReport = 32786;
}  // namespace id

enum class ControlKind {
    Label, CentredLabel, RightLabel, Group, Button, ImageButton, CheckBox, Slider, ImageStatic,
    WaveView, TimeLine, DecryptBar, Text
};

// The four fonts of the window: cell height in pixels, weight, fixed pitch.
enum class FontRole { None, Results, Verdicts, Date, Identity };

// One control: its place in dialog units, and for a picture its bitmap id.
struct TemplateItem {
    int id;
    ControlKind kind;
    const char* text;
    QRect rect;
    FontRole font = FontRole::None;
    int bitmap = 0;
};

// The window's client area in dialog units, and its controls.
inline constexpr QSize kTemplateSize(376, 311);
std::span<const TemplateItem> MainTemplate();

// Dialog units to pixels for the window's text size.
QRect DluToPixels(const QRect& dlu);
QSize DluToPixels(const QSize& dlu);

}  // namespace tvx::app
