// Grabs the conversion dialogs and the Details dialog of each format as PNG files, to look at
// them:  tvx-desk-shots OUTDIR   (QT_QPA_PLATFORM=offscreen works)
#include "desk_test_support.h"

#include "analysis/im2_header.h"
#include "desk/details_dialog.h"
#include "desk/path_dialog.h"
#include "desk/progress_dialog.h"
#include "desk/wav_convert_dialog.h"
#include "export/details.h"
#include "readers/img.h"
#include "readers/ix2_source.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>

#include <cstdio>

namespace {

using tvx::desktest::TempFolder;

bool Save(QWidget& widget, const QString& file) {
    widget.show();
    // Long enough for the folder tree to fill in the background, as it does before a user looks.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    const bool saved = widget.grab().save(file);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(file));
    return saved;
}

bool SaveDetails(const tvx::DetailsFields& fields, const QString& file) {
    tvx::CDetails dialog;
    dialog.SetFields(fields);
    return Save(dialog, file);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tvx-desk-shots OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    const TempFolder temp("shots");
    bool ok = true;

    tvx::CWavConvert convert;
    convert.SetFolder(QString::fromStdString(temp.Path().string()));
    convert.findChild<QCheckBox*>(QStringLiteral("minutesBox"))->click();
    convert.findChild<QLineEdit*>(QStringLiteral("minutes"))->setText(QStringLiteral("30"));
    ok &= Save(convert, out + "/convert.png");

    tvx::CPathDialog chooser(QStringLiteral("Decoded .WAV Folder"),
                             QStringLiteral("Select folder for decrypted WAV files:"),
                             QStringLiteral("/usr/share"));
    ok &= Save(chooser, out + "/folder_chooser.png");

    tvx::CProgressDlg progress;
    progress.SetMessage("Decrypting: F00012.IM2\r\n");
    progress.SetRange(1000);
    progress.SetPos(420);
    ok &= Save(progress, out + "/progress.png");

    {
        tvx::synth::Im2Options o;
        o.blocks = 20000;
        const std::string path = temp / "F00012.IM2";
        tvx::synth::WriteBytes(path, tvx::synth::MakeIm2(o));
        tvx::CIm2 image;
        ok &= !tvx::LoadIm2Header(path, image).has_value() &&
              SaveDetails(tvx::Im2Details(image), out + "/details_im2.png");
    }
    for (const bool chain : {false, true}) {
        tvx::synth::Ix2Options o;
        o.chain = chain;
        o.audio.blocks = 600;
        o.splitFirst = 1200;
        o.recordingLast = 4000;
        const std::string path = temp / (chain ? "C00012.IX2" : "S00012.IX2");
        tvx::synth::WriteIx2File(path, o);
        tvx::Ix2Source source;
        ok &= !source.Open(path).has_value() &&
              SaveDetails(tvx::Ix2Details(source.Reader()),
                          out + (chain ? "/details_ix2_chain.png" : "/details_ix2.png"));
    }
    {
        const std::string path = temp / "V00007.IMG";
        tvx::synth::WriteImgFile(path, {.bits = 5, .records = 400});
        tvx::CFile64 file;
        tvx::CImg image;
        ok &= !tvx::OpenImg(file, path, image).has_value() &&
              SaveDetails(tvx::ImgDetails(image), out + "/details_img.png");
    }
    return ok ? 0 : 1;
}
