#include "app/dialog_template.h"

#include <cmath>

namespace tvx::app {

namespace {

using K = ControlKind;
using F = FontRole;

// Pixels per dialog unit: a dialog unit is a quarter of the average character width and an
// eighth of the character height of the dialog's 8-point text. The sans-serif faces found
// here run wider than the one the layout was drawn for, hence the wider unit.
constexpr double kPxPerDluX = 1.75;
constexpr double kPxPerDluY = 1.625;

constexpr TemplateItem kItems[] = {
    {id::kDate, K::CentredLabel, "Date", {4, 3, 368, 24}, F::Date},

    {id::kUnitIdLabel, K::Label, "Unit ID:", {6, 31, 90, 15}, F::Identity},
    {id::kUnitId, K::Label, "QM-XXXXX", {98, 31, 188, 15}, F::Identity},
    {id::kSpin1, K::CentredLabel, "/", {288, 31, 10, 15}, F::Identity},
    {id::kFileNumberLabel, K::Label, "File Number:", {6, 48, 90, 15}, F::Identity},
    {id::kFileNumber, K::Label, "16553", {98, 48, 188, 15}, F::Identity},
    {id::kSpin2, K::CentredLabel, "\\", {288, 48, 10, 15}, F::Identity},

    {id::kFileHeaderLabel, K::Label, "File Header:", {302, 33, 54, 11}, F::Verdicts},
    {id::kFileHeaderIcon, K::ImageStatic, "", {358, 32, 12, 13}},
    {id::kFileLengthLabel, K::Label, "File Length:", {302, 50, 54, 11}, F::Verdicts},
    {id::kFileLengthIcon, K::ImageStatic, "", {358, 49, 12, 13}},

    {id::kResultsGroup, K::Group, "Authentication Results:", {4, 67, 200, 72}, F::Results},
    {id::kDurationLabel, K::Label, "Duration:", {10, 81, 106, 12}, F::Results},
    {id::kVerifiedLabel, K::Label, "Verified:", {10, 95, 106, 12}, F::Results},
    {id::kIrregularitiesLabel, K::Label, "Irregularities:", {10, 109, 106, 12}, F::Results},
    {id::kUnauthenticatedLabel, K::Label, "Unauthenticated:", {10, 123, 106, 12}, F::Results},
    {id::kDuration, K::Label, "00:00:00.000", {118, 81, 82, 12}, F::Results},
    {id::kVerified, K::Label, "00:00:00.000", {118, 95, 82, 12}, F::Results},
    {id::kIrregularities, K::Label, "00:00:00.000", {118, 109, 82, 12}, F::Results},
    {id::kUnauthenticated, K::Label, "00:00:00.000", {118, 123, 82, 12}, F::Results},

    {id::kPacketsGroup, K::Group, "Irregular Packets:", {208, 67, 164, 72}, F::Results},
    {id::kUnitIdCountLabel, K::Label, "Unit ID:", {214, 81, 112, 12}, F::Results},
    {id::kFileNumberCountLabel, K::Label, "File Number:", {214, 95, 112, 12}, F::Results},
    {id::kSequenceCountLabel, K::Label, "Sequence / Timing:", {214, 109, 112, 12}, F::Results},
    {id::kChecksumCountLabel, K::Label, "CheckSum:", {214, 123, 112, 12}, F::Results},
    {id::kUnitIdCount, K::RightLabel, "0", {326, 81, 42, 12}, F::Results},
    {id::kFileNumberCount, K::RightLabel, "0", {326, 95, 42, 12}, F::Results},
    {id::kSequenceCount, K::RightLabel, "0", {326, 109, 42, 12}, F::Results},
    {id::kChecksumCount, K::RightLabel, "0", {326, 123, 42, 12}, F::Results},

    {id::kBackTrack, K::ImageButton, "BackTrack", {6, 145, 27, 17}},
    {id::kPlay, K::ImageButton, "Play", {36, 145, 27, 17}},
    {id::kPause, K::ImageButton, "Pause", {66, 145, 27, 17}},
    {id::kStop, K::ImageButton, "Stop", {96, 145, 27, 17}},
    {id::kBrowse, K::Button, "Browse...", {132, 146, 50, 15}},
    {id::kNone, K::ImageStatic, "", {194, 147, 14, 13}, F::None, 161},
    {id::kSlider, K::Slider, "", {210, 146, 94, 15}},
    {id::kNone, K::ImageStatic, "", {306, 147, 14, 13}, F::None, 160},
    {id::kBoost, K::CheckBox, "Boost", {326, 147, 44, 13}},

    {id::kWaveView, K::WaveView, "", {4, 167, 368, 80}},
    {id::kTimeLine, K::TimeLine, "", {4, 249, 368, 22}},
    {id::kDecryptBar, K::DecryptBar, "", {4, 273, 368, 12}},
    {id::kStatus, K::Text, "", {4, 290, 300, 13}},
    {id::kExit, K::Button, "Exit", {322, 289, 50, 15}},
};

int ScaleX(int dlu) { return static_cast<int>(std::lround(dlu * kPxPerDluX)); }
int ScaleY(int dlu) { return static_cast<int>(std::lround(dlu * kPxPerDluY)); }

}  // namespace

std::span<const TemplateItem> MainTemplate() { return kItems; }

QRect DluToPixels(const QRect& dlu) {
    const int left = ScaleX(dlu.left());
    const int top = ScaleY(dlu.top());
    return {left, top, ScaleX(dlu.left() + dlu.width()) - left,
            ScaleY(dlu.top() + dlu.height()) - top};
}

QSize DluToPixels(const QSize& dlu) { return {ScaleX(dlu.width()), ScaleY(dlu.height())}; }

}  // namespace tvx::app
