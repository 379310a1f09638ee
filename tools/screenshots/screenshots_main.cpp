// tvx-screenshots OUTDIR: pictures of the main window for people to look at, taken from the
// display it runs on (scripts/screenshots gives it a virtual one): empty, loaded,
// authenticating, authenticated with irregular blocks, its File menu and examination report, their table and the first of them
// sought, playing, paused, the wait window, the about box, a chain IX2 and an IMG image authenticated, the conversion's dialogs as the
// window's command brings them up, and the Details of each format.
#include "app/about_dlg.h"
#include "app/irregular_blocks_dlg.h"
#include "app/sable_player_dlg.h"
#include "app/wait_dlg.h"
#include "audio/sdl_backend.h"
#include "desk/details_dialog.h"
#include "desk/path_dialog.h"
#include "desk/progress_dialog.h"
#include "desk/wav_convert_dialog.h"
#include "desk_test_support.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace tvx;
using namespace tvx::app;

namespace {

void Settle(int ms = 300) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// What the display shows where the widget lies, windows on top of it included.
bool Shoot(QWidget& widget, const QString& file) {
    const QRect area = widget.frameGeometry();
    const QPixmap shot = widget.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const bool saved = shot.save(file);
    std::fprintf(stderr, "%s %s (%dx%d)\n", saved ? "wrote" : "could not write",
                 qPrintable(file), shot.width(), shot.height());
    return saved;
}

// A long recording with one fault of every kind, so the strip and the counts show them all.
// A gigabyte: the window authenticates it over some ten ticks, so one of them falls mid-run.
bool MakeImage(const QString& path) {
    synth::Im2Options options;
    options.storedBits = 16;
    options.blocks = 2000000;
    const synth::Fault faults[] = {
        {synth::FaultKind::PayloadByte, 150000},  {synth::FaultKind::PayloadByte, 150001},
        {synth::FaultKind::UnitNumber, 600000},   {synth::FaultKind::FileNumber, 1000000},
        {synth::FaultKind::BlockOrder, 1300000},  {synth::FaultKind::Timestamp, 1650000},
        {synth::FaultKind::PayloadByte, 1950000},
    };
    return synth::WriteIm2File(path.toStdString(), options, faults);
}

QPushButton* ButtonNamed(QWidget& dialog, const QString& text) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

// The Details of the image the window has loaded, as its command shows them.
bool ShootDetails(CSablePlayerDlg& window, const QString& file) {
    bool ok = false;
    desktest::WhenModal<CDetails>([&ok, &file](CDetails* d) {
        Settle();
        ok = Shoot(*d, file);
        d->accept();
    });
    window.OnDetails();
    return ok;
}

// "Convert to Wav" on the loaded image: the convert dialog with half an hour a segment, the
// folder chooser from its Browse..., then the progress dialog over the window once a fifth
// of the pass is done, which is then cancelled.
bool ShootConversion(CSablePlayerDlg& window, const QString& folder, const QDir& out) {
    bool ok = false;
    bool chooserShot = false;
    desktest::WhenModal<CWavConvert>([&](CWavConvert* d) {
        d->findChild<QLineEdit*>("folder")->setText(folder);
        d->findChild<QCheckBox*>("minutesBox")->click();
        d->findChild<QLineEdit*>("minutes")->setText("30");
        Settle();
        ok = Shoot(*d, out.filePath("convert-dialog.png"));
        desktest::WhenModal<CPathDialog>([&](CPathDialog* chooser) {
            Settle(800);   // the tree fills in the background
            chooserShot = Shoot(*chooser, out.filePath("folder-chooser.png"));
            chooser->reject();
        });
        ButtonNamed(*d, "Browse...")->click();
        d->findChild<QPushButton*>("convert")->click();
    });
    bool progressShot = false;
    QTimer watch;
    watch.callOnTimeout([&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<CProgressDlg*>(top);
            if (progressShot || progress == nullptr || !progress->isVisible() ||
                progress->BarValue() < 20)
                continue;
            progressShot = true;
            Settle();
            progressShot &= Shoot(*progress, out.filePath("progress-dialog.png"));
            progressShot &= Shoot(window, out.filePath("window-converting.png"));
            progress->OnCancelButton();
        }
    });
    watch.start(20);
    window.OnConvert();
    return ok && chooserShot && progressShot;
}

// The File menu pulled down over the window, Save Report... among its commands.
bool ShootFileMenu(CSablePlayerDlg& window, const QString& file) {
    QMenuBar* bar = window.findChild<QMenuBar*>();
    QMenu* menu = bar ? bar->actions().front()->menu() : nullptr;
    if (menu == nullptr)
        return false;
    menu->popup(bar->mapToGlobal(bar->actionGeometry(bar->actions().front()).bottomLeft()));
    Settle();
    const bool ok = Shoot(window, file);
    menu->hide();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tvx-screenshots OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    QTemporaryDir work;
    const QString image = work.filePath("F00012.IM2");
    if (!MakeImage(image)) {
        std::fprintf(stderr, "tvx-screenshots: could not write %s\n", qPrintable(image));
        return 1;
    }

    CSablePlayerDlg window(PlayersWith(MakeSdlBackend));
    window.move(40, 40);
    window.show();
    Settle();
    bool ok = Shoot(window, out.filePath("window-empty.png"));

    if (!window.LoadRecording(image))
        return 1;
    Settle();
    ok &= Shoot(window, out.filePath("window-loaded.png"));

    // Mid-run: the first tick past a third of the recording, the wait window over the wave.
    window.OnAuthenticationCommand();
    CWaitDlg& wait = window.WaitDlg();
    bool midRunShot = false;
    QElapsedTimer clock;
    clock.start();
    while (window.IsAuthenticationTimerActive() && clock.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!midRunShot && wait.isVisible() && wait.Pos() > wait.Range() / 3) {
            ok &= Shoot(window, out.filePath("window-authenticating.png"));
            ok &= Shoot(wait, out.filePath("wait-window.png"));
            midRunShot = true;
        }
    }
    Settle();
    ok &= midRunShot;
    ok &= Shoot(window, out.filePath("window-authenticated.png"));
    ok &= ShootFileMenu(window, out.filePath("file-menu.png"));
    // The examination report of the same image, as File > Save Report... writes it.
    ok &= !window.SaveReport(QFile::encodeName(out.filePath("report.pdf")).toStdString());

    // The table of the irregular runs beside the window, and N: the status line names the run.
    window.OnIrregularBlocks();
    QWidget& table = *window.IrregularBlocksDlg();
    table.move(window.frameGeometry().right() + 8, 40);
    window.OnNextRun();
    Settle();
    ok &= Shoot(table, out.filePath("irregular-blocks.png"));
    ok &= Shoot(window, out.filePath("window-at-irregular-run.png"));
    table.hide();

    // Playing from a third of the way in, then paused: Play latched, Pause latched.
    window.OnSeek(1.0 / 3.0);
    window.OnPlay();
    Settle(1500);
    ok &= Shoot(window, out.filePath("window-playing.png"));
    window.OnPause();
    Settle();
    ok &= Shoot(window, out.filePath("window-paused.png"));
    window.OnStop();

    CAboutDlg about(&window);
    about.show();
    Settle();
    ok &= Shoot(about, out.filePath("about-box.png"));
    about.hide();

    const QString wavFolder = work.filePath("wav");
    QDir().mkpath(wavFolder);
    ok &= ShootConversion(window, wavFolder, out);
    Settle();
    ok &= Shoot(window, out.filePath("window-after-conversion.png"));
    ok &= ShootDetails(window, out.filePath("details-im2.png"));

    // The other formats, authenticated: a chain names its outer image as the slave; IMG
    // records carry no date, so the timeline counts from 00:00:00.
    synth::Ix2Options chain;
    chain.audio.storedBits = 8;
    chain.audio.blocks = 3000;
    chain.splitFirst = 12000;
    chain.recordingLast = 40000;
    chain.chain = true;
    const synth::Fault chainFaults[] = {{synth::FaultKind::PayloadByte, 1000}};
    synth::ImgOptions img;
    img.bits = 5;
    img.records = 4000;
    const synth::ImgFault imgFaults[] = {{synth::ImgFaultKind::BlockChecksum, 2500}};
    synth::Ix2Options plain;
    plain.audio.blocks = 5000;
    plain.splitFirst = 20000;
    plain.recordingLast = 60000;
    const QString ix2Path = work.filePath("F00031.IX2");
    const QString plainPath = work.filePath("F00033.IX2");
    const QString imgPath = work.filePath("F00032.IMG");
    ok &= synth::WriteIx2File(ix2Path.toStdString(), chain, chainFaults);
    ok &= synth::WriteIx2File(plainPath.toStdString(), plain);
    ok &= synth::WriteImgFile(imgPath.toStdString(), img, imgFaults);
    struct Shot {
        QString path;
        const char* window;   // nullptr: the Details alone
        const char* details;
    };
    for (const Shot& shot : {Shot{ix2Path, "window-ix2-chain.png", "details-ix2-chain.png"},
                             Shot{plainPath, nullptr, "details-ix2.png"},
                             Shot{imgPath, "window-img.png", "details-img.png"}}) {
        if (!window.LoadRecording(shot.path))
            return 1;
        if (shot.window != nullptr) {
            window.OnAuthenticationCommand();
            while (window.IsAuthenticationTimerActive())
                QApplication::processEvents(QEventLoop::AllEvents, 5);
            Settle();
            ok &= Shoot(window, out.filePath(shot.window));
        }
        ok &= ShootDetails(window, out.filePath(shot.details));
    }
    return ok ? 0 : 1;
}
