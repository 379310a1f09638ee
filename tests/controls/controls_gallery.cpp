// Renders every control in its typical states into PNGs, to be looked at:
//   controls_gallery <folder>
// One sheet (gallery.png) lays them out roughly as the main window does; each control is
// also written alone at its natural size.

#include "analysis/auth_tally.h"
#include "controls/decrypt_bar.h"
#include "controls/image_button.h"
#include "controls/image_static.h"
#include "controls/system_look.h"
#include "controls/text.h"
#include "controls/time_line.h"
#include "controls/wave_view.h"

#include <QApplication>
#include <QDir>
#include <QLabel>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

using namespace tvx;

constexpr int kWidth = 600;

// A made-up recording's envelope: phrases of speech with pauses, louder on one side.
std::vector<std::uint16_t> Envelope(int columns, double gain, int phase) {
    std::vector<std::uint16_t> peaks(static_cast<std::size_t>(columns));
    for (int x = 0; x < columns; ++x) {
        const double phrase = std::fabs(std::sin((x + phase) * 0.021));
        const double syllable = 0.55 + 0.45 * std::sin((x + phase) * 0.37);
        const double pause = ((x + phase) / 70) % 4 == 3 ? 0.06 : 1.0;
        const double v = gain * 60000.0 * phrase * syllable * pause;
        peaks[static_cast<std::size_t>(x)] = static_cast<std::uint16_t>(std::min(v, 65535.0));
    }
    return peaks;
}

// Writes <name>.png and, for a closer look at single pixels, <name>_x3.png.
bool Save(QWidget& widget, const QString& folder, const char* name) {
    const QImage image = widget.grab().toImage();
    const QString path = folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    const QString big = folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral("_x3.png");
    if (image.save(path, "PNG") && image.scaled(image.size() * 3).save(big, "PNG"))
        return true;
    std::fprintf(stderr, "controls_gallery: cannot write %s\n", qPrintable(path));
    return false;
}

void Label(QWidget* parent, const QString& text, int x, int y, int height, int weight) {
    auto* label = new QLabel(text, parent);
    label->setFont(SystemFont(height, weight));
    label->move(x, y);
    label->adjustSize();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: controls_gallery <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    bool ok = true;

    QWidget sheet;
    sheet.resize(kWidth + 40, 520);
    sheet.setAutoFillBackground(true);
    QPalette pal = sheet.palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Active, QPalette::Button));
    sheet.setPalette(pal);

    // Waveform: stereo, a third played.
    auto* wave = new CWaveView(&sheet);
    wave->setGeometry(20, 20, kWidth, 110);
    wave->UpdateWidth();
    const int columns = wave->GetColumns();
    const auto left = Envelope(columns, 1.0, 0);
    const auto right = Envelope(columns, 0.6, 35);
    wave->SetPeaks(left.data(), right.data(), static_cast<std::uint16_t>(columns - 120),
                   static_cast<std::uint16_t>(columns));   // a peaks pass cancelled early
    wave->SetPosition(0.33);

    auto* timeline = new CTimeLine(&sheet);
    timeline->setGeometry(20, 132, kWidth, 40);
    const COleDateTime start = COleDateTime::FromFields(2024, 3, 9, 10, 45, 30);
    timeline->SetStartTime(start);
    timeline->SetEndTime(start + COleDateTimeSpan::FromMs(2 * 3600 * 1000));
    timeline->SetCurrentTime(start + COleDateTimeSpan::FromMs(2377000));

    // Strip: 10,000 blocks, 60 % judged, two irregular runs, the header sound.
    AuthTally tally;
    tally.Allocate(10000, 1);
    for (std::int32_t i = -1; i < 6000; ++i) {
        const bool bad = (i >= 2100 && i < 2130) || i == 4444;
        tally.OnBlockResult(i, bad ? kIrregular | kChecksumError : 0);
    }
    auto* strip = new CDecryptBar(&sheet);
    strip->setGeometry(20, 180, kWidth, 22);
    strip->SetStates(&tally.GetStrip());

    auto* status = new CText(&sheet);
    status->setGeometry(20, 212, kWidth, 22);
    status->SetStyle(Qt::AlignCenter, FromColorRef(AuthTally::kStatusGreen));
    status->SetText(QStringLiteral("AUTHENTICATING (0.064 SECONDS)"));

    // Transport: stopped-and-loaded, then playing (Play latched), then paused.
    const struct {
        std::uint32_t slot1, slot2, slot3;
    } kTransport[] = {{136, 0, 137}, {143, 142, 144}, {140, 148, 141}, {145, 0, 146}};
    const bool enabledWhen[3][4] = {
        {true, true, false, false}, {true, false, true, true}, {true, true, true, true}};
    for (int row = 0; row < 3; ++row) {
        for (int b = 0; b < 4; ++b) {
            auto* button = new CImageButton(&sheet);
            button->setGeometry(20 + b * 56, 250 + row * 42, 52, 36);
            button->SetBitmaps(kTransport[b].slot1, kTransport[b].slot2, kTransport[b].slot3);
            button->setEnabled(enabledWhen[row][b]);
            button->SetLatched((row == 1 && b == 1) || (row == 2 && b == 2));
        }
    }
    // A button held down, and one greyed by dithering (no disabled bitmap).
    auto* held = new CImageButton(&sheet);
    held->setGeometry(260, 250, 52, 36);
    held->SetBitmaps(143, 142, 144);
    held->setDown(true);
    auto* dithered = new CImageButton(&sheet);
    dithered->setGeometry(260, 292, 52, 36);
    dithered->SetBitmaps(145, 0, 0);
    dithered->setEnabled(false);

    Label(&sheet, QStringLiteral("File Header:"), 340, 254, 16, 500);
    Label(&sheet, QStringLiteral("File Length:"), 340, 280, 16, 500);
    const std::uint32_t icons[] = {165, 166, 167};
    for (int i = 0; i < 3; ++i) {
        auto* icon = new CImageStatic(&sheet);
        icon->setGeometry(440 + i * 26, 254, 20, 20);
        icon->SetBitmap(icons[i]);
    }
    auto* quiet = new CImageStatic(&sheet);
    quiet->setGeometry(340, 320, 20, 20);
    quiet->SetBitmap(161);
    auto* loud = new CImageStatic(&sheet);
    loud->setGeometry(520, 320, 20, 20);
    loud->SetBitmap(160);
    Label(&sheet, QStringLiteral("Verified:"), 20, 390, 20, 900);
    Label(&sheet, QString::fromStdString(FormatMs(2377064)), 200, 390, 20, 900);
    Label(&sheet, QStringLiteral("Unit ID:"), 20, 420, 25, 900);
    Label(&sheet, QStringLiteral("Sat, 09 Mar 2024, 11:25:07"), 20, 460, 40, 900);

    sheet.show();
    app.processEvents();
    ok &= Save(sheet, folder, "gallery");

    // Alone, in the states worth a closer look.
    ok &= Save(*wave, folder, "wave_stereo");
    CWaveView mono;
    mono.resize(kWidth, 100);
    mono.UpdateWidth();
    mono.SetPeaks(left.data(), nullptr, static_cast<std::uint16_t>(columns), 0);
    mono.SetPosition(0.5);
    ok &= Save(mono, folder, "wave_mono");

    ok &= Save(*timeline, folder, "timeline_absolute");
    CTimeLine relative;
    relative.resize(kWidth, 40);
    relative.SetLength(COleDateTimeSpan::FromMs(3723000));
    relative.SetPosition(COleDateTimeSpan::FromMs(1300000));
    ok &= Save(relative, folder, "timeline_relative");
    CTimeLine shortOne;
    shortOne.resize(kWidth, 40);
    shortOne.SetStartTime(COleDateTime::FromFields(2024, 3, 9, 23, 52, 10));
    shortOne.SetEndTime(COleDateTime::FromFields(2024, 3, 10, 0, 31, 40));
    ok &= Save(shortOne, folder, "timeline_short");

    ok &= Save(*strip, folder, "strip_10000");
    CDecryptBar few;
    few.resize(202, 20);
    few.Allocate(50, 0);
    for (int i = 0; i < 30; ++i)
        few.SetBlock(i, i == 12 ? 3 : 2);
    ok &= Save(few, folder, "strip_50");

    CText grey;
    grey.resize(kWidth, 22);
    grey.SetStyle(Qt::AlignCenter, FromColorRef(AuthTally::kStatusRed));
    grey.SetText(QStringLiteral("AUTHENTICATING"));
    grey.Enable(false);
    ok &= Save(grey, folder, "text_disabled");
    return ok ? 0 : 1;
}
