// The program's dialogs driven as a person does: the folder chooser and its rules, the convert
// dialog and the pass it runs, the progress dialog, the user guide's message, and the profile
// that remembers where the user was.
#include "desk_test_support.h"

#include "desk/conversion.h"
#include "desk/folder_rules.h"
#include "desk/help.h"
#include "desk/open_dialog.h"
#include "desk/path_dialog.h"
#include "desk/profile.h"
#include "desk/progress_dialog.h"
#include "desk/wav_convert_dialog.h"
#include "formats/home_of.h"
#include "synth/synth.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>

namespace tvx {

using namespace desktest;

class DialogsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_temp;
    QString Q(const QString& name) const { return m_temp.filePath(name); }
    std::string At(const QString& name) const { return Q(name).toStdString(); }
    QByteArray Read(const QString& name) const {
        QFile file(Q(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void TheFolderRulesAndTheChooserThatAppliesThem() {
        std::vector<std::string> bad{"", "out", "/out/", "//server/share", "/a//b", "/dir.", "/.cache", "/a/../b",
                                     "/ out", "/out ", "/\tout"};
        for (const char c : std::string("\"*:<>?\\|"))
            bad.push_back(std::string("/a") + c + "b");
        for (const std::string& path : bad)
            QVERIFY2(CheckFolderPath(path, FolderMode::Check) == FolderCheck::Invalid, path.c_str());
        for (const std::string& good : std::vector<std::string>{"/", "/my out/day 1", "/v1.2", At("new/sub")})
            QVERIFY2(CheckFolderPath(good, FolderMode::Check) == FolderCheck::Good, good.c_str());
        QVERIFY(!QDir(Q("new")).exists());   // checking makes nothing: the chooser creates
        std::ofstream(At("plain")) << "x";   // a file in the way is no folder
        QVERIFY(CheckFolderPath(At("plain/sub"), FolderMode::Create) == FolderCheck::NotCreated);
        // The chooser offers its first folder, asks before it creates one, refuses what the
        // rules refuse, and takes a folder that is there without a question.
        const QString ask = "does not exist. Do you want the folder to be created?";
        struct Case {
            QString typed;
            int answer, result;
            QString question;   // the message's last line, if one comes
        };
        for (const Case& c : {Case{Q("new/sub"), QMessageBox::Yes, 1, ask}, {Q("never"), QMessageBox::No, -1, ask},
                              {Q("out/"), QMessageBox::Ok, -1, "is invalid. Please reenter."},
                              {m_temp.path(), QMessageBox::Ok, 1, ""}}) {   // last: no question comes
            CPathDialog chooser({}, {}, m_temp.path());
            auto* path = chooser.findChild<QLineEdit*>("folderPath");
            QPushButton* ok = chooser.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            QCOMPARE(path->text(), m_temp.path());
            path->clear();
            QVERIFY(!ok->isEnabled());
            QString message;
            WhenModal<CPathDialog>([&](CPathDialog* d) {
                path->setText(c.typed);
                AnswerMessageBox(c.answer, &message);
                ok->click();
                if (d->isVisible())   // refused: the chooser stays open
                    d->reject();
            });
            QCOMPARE(chooser.DoModal(), c.result);
            QCOMPARE(message, c.question.isEmpty() ? "" : "The folder:\n\n" + c.typed + "\n\n" + c.question);
            QCOMPARE(QDir(c.typed).exists(), c.result == 1);
            if (c.result == 1)
                QCOMPARE(chooser.GetPathName(), c.typed);
        }
    }

    void ConvertTakesOnlyAFolderThereAndTheCheckedNumberAndCancelKeepsTheLastFolder() {
        QDir().mkpath(Q("out"));
        std::ofstream(At("a-file")) << "not a folder";
        const QString noFolder = "Error: The supplied directory could not be accessed.\n\n"
                                 "Please verify your directory path.";
        struct Case {
            QString folder;
            QStringList boxes;   // clicked in turn
            QString minutes, megabytes, message;
            QList<int> taken;   // minutes and megabytes, when Convert is taken
        };
        const Case cases[] = {   // the low 16 bits; an unchecked number is dropped
            {Q("out"), {"megabytesBox", "minutesBox"}, "70000", "7", "", {4464, 0}},
            {Q("nope"), {}, "0", "0", noFolder, {}},
            {Q("a-file"), {}, "0", "0", noFolder, {}},
            {Q("out"), {"megabytesBox"}, "junk", "12x", "Please enter an integer.", {}},
            {Q("out"), {"megabytesBox"}, "junk", " 12 ", "", {0, 12}},
        };
        Profile profile(Q("convert.ini"));
        for (const Case& c : cases) {
            QString message;
            QList<bool> enabled;
            WhenModal<CWavConvert>([&](CWavConvert* d) {
                for (const QString& box : c.boxes)
                    d->findChild<QCheckBox*>(box)->click();
                for (const auto& [field, text] : {std::pair{"minutes", c.minutes}, {"megabytes", c.megabytes}}) {
                    enabled << d->findChild<QLineEdit*>(field)->isEnabled();
                    d->findChild<QLineEdit*>(field)->setText(text);
                }
                if (!c.message.isEmpty())
                    AnswerMessageBox(QMessageBox::Ok, &message);
                FillConvert(d, c.folder);
                if (d->isVisible())   // refused: the dialog stays open, and Cancel changes nothing
                    d->reject();
            });
            const std::optional<ConvertChoice> choice = AskConversion(nullptr, profile);
            QCOMPARE(message, c.message);
            QCOMPARE(choice ? QList<int>({choice->minutes, choice->megabytes}) : QList<int>(), c.taken);
            QCOMPARE(profile.LastConvertPath(), At("out"));
            QCOMPARE(enabled, QList<bool>({c.boxes.endsWith("minutesBox"), c.boxes.endsWith("megabytesBox")}));
        }
    }

    void ThePassWritesWhatTheEngineWritesAsksBeforeReplacingAndStopsOnCancel() {
        const std::string image = At("F00012.IM2");
        const synth::Fault fault{synth::FaultKind::PayloadByte, 2100};
        QVERIFY(synth::WriteIm2File(image, {.blocks = 2500}, {&fault, 1}));
        QVERIFY(QDir().mkpath(Q("engine")) && QDir().mkpath(Q("pass")));
        Hooks plain;
        const ConvertChoice choice{At("pass"), 0, 1};   // a new WAV after every megabyte
        QVERIFY(HomeOf(ImageFormat::Im2).Convert({image, At("engine"), 1, 0}, plain).outcome == ConvertOutcome::Completed);
        QVERIFY(RunConversion(nullptr, image, ImageFormat::Im2, choice).outcome == ConvertOutcome::Completed);
        const QStringList files = QDir(Q("pass")).entryList(QDir::Files, QDir::Name);
        QCOMPARE(QDir(Q("engine")).entryList(QDir::Files, QDir::Name), files);
        QCOMPARE(files.size(), 5);   // two segments, each WAV and text, and the manifest
        for (const QString& file : files)
            QVERIFY2(Read("pass/" + file) == Read("engine/" + file), qPrintable(file));

        // The pass asks before it replaces a file, through the progress dialog: No keeps it.
        std::ofstream(At("pass/F00012.00.txt"), std::ios::trunc) << "kept";
        QString question;
        AnswerMessageBox(QMessageBox::No, &question);
        QVERIFY(RunConversion(nullptr, image, ImageFormat::Im2, choice).outcome == ConvertOutcome::Declined);
        QVERIFY2(question.contains(Q("pass/F00012.00.wav")), qPrintable(question));
        QCOMPARE(Read("pass/F00012.00.txt"), QByteArray("kept"));
        // Yes goes on; Cancel, pressed once the bar has moved, stops the pass there.
        AnswerMessageBox(QMessageBox::Yes);
        const ConvertResult cancelled = RunConversion(nullptr, image, ImageFormat::Im2, choice, [](CProgressDlg& progress) {
            progress.SetPumpInterval(0);
            auto* press = new QTimer(&progress);
            QObject::connect(press, &QTimer::timeout, [&progress] {
                if (progress.BarValue() > 0)
                    progress.findChild<QPushButton*>("cancel")->click();
            });
            press->start(0);
        });
        QVERIFY(cancelled.outcome == ConvertOutcome::Cancelled && cancelled.blocks > 0 && cancelled.blocks < 2500);
        QVERIFY(Read("pass/F00012.00.txt") != "kept");
        // The bar shows whole hundredths; the message loses its line end; Escape cancels, and
        // the pass closes the dialog when it has stopped.
        CProgressDlg progress;
        progress.SetRange(1000);
        QList<int> bar;
        for (const int position : {500, 999, 1000})
            bar << (progress.SetPos(position), progress.BarValue());
        QCOMPARE(bar, QList<int>({50, 99, 100}));
        progress.SetMessage("Decrypting: F00012.IM2\r\n");
        QCOMPARE(progress.findChild<QLabel*>("message")->text(), QStringLiteral("Decrypting: F00012.IM2"));
        progress.ShowProgress(true);
        QTest::keyClick(&progress, Qt::Key_Escape);
        QVERIFY(progress.IsCancelled() && progress.isVisible());
    }

    void AMissingGuideIsNamedByItsShortenedPath() {
        const QString tail = "/manuals/Tessivox User Guide.pdf";
        QCOMPARE(ShortGuidePath("/home/someone/apps/tessivox/bin" + tail), "/home/someone/apps/tessivox/bin" + tail);   // 63
        QCOMPARE(ShortGuidePath("/home/someone/apps/tessivox/bin2" + tail), "/home/someone/apps/..." + tail);   // 64
        QCOMPARE(ShortGuidePath("/averyveryveryverylongfoldername" + tail), "/..." + tail);
        QCOMPARE(UserGuidePlaces("/opt/tvx/bin"), (QStringList{"/opt/tvx/bin" + tail, "/opt/tvx/share/doc/tessivox" + tail}));
        QString message;
        AnswerMessageBox(QMessageBox::Ok, &message);
        OpenUserGuide(nullptr);
        const QString named = ShortGuidePath(QCoreApplication::applicationDirPath() + tail);
        QCOMPARE(message, "The help file\n\"" + named + "\"\ncould not found.");
    }

    void TheProfileKeepsAnyPathOnOneLineAndReadsAHandWrittenFile() {
        const std::string odd = "/tmp/a b\\c/line\nbreak/\r/=;,\"quoted\"/\xff\xfe.IM2";
        Profile(Q("keys.ini")).SetLastFile(odd);
        QCOMPARE(Profile(Q("keys.ini")).LastFile(), odd);
        QCOMPARE(Read("keys.ini").count('\n'), 2);   // the section and the key
        std::ofstream(At("hand.ini")) << "; kept by hand\r\n[OTHER]\r\nLast File=/wrong\r\n[SETTINGS]\r\n"
                                         "Last File = /right/F1.IX2\r\nLast Convert Path=/out\r\n";
        const Profile hand(Q("hand.ini"));
        QCOMPARE(hand.LastFile() + " " + hand.LastConvertPath(), std::string("/right/F1.IX2 /out"));
    }

    void OpenAndConvertStartWhereTheUserWasElseAtHome() {
        for (const char* folder : {"home", "last", "card"})
            QDir().mkpath(Q(folder));
        for (const char* name : {"F00012.IM2", "f00013.ix2", "notes.txt"})
            std::ofstream(At("card/") + name) << "x";
        qputenv("HOME", Q("home").toLocal8Bit());
        Profile profile(Q("open.ini"));
        QCOMPARE(OpenDialogStart(profile) + " " + ConvertFolderStart(profile), At("home") + " " + At("home"));
        profile.SetLastFile(At("card/F00012.IM2"));
        profile.SetLastConvertPath(At("last"));
        QCOMPARE(ConvertFolderStart(profile), At("last"));
        QStringList seen;   // the folder it starts in, then the file it offers
        WhenModal<QFileDialog>([&](QFileDialog* dialog) {
            seen << dialog->directory().absolutePath() << dialog->selectedFiles();
            ChooseFile(dialog, Q("card/f00013.ix2"));
        });
        QCOMPARE(ChooseImage(nullptr, profile).value_or("(none)"), At("card/f00013.ix2"));
        QCOMPARE(seen, (QStringList{Q("card"), Q("card/F00012.IM2")}));
        QCOMPARE(OpenFilter(), QStringLiteral("All Supported files (*.ix2 *.im2 *.img);;IMG Files (*.img);;"
                                              "IM2 Files (*.im2);;IX2 Files (*.ix2);;All Files (*)"));
        QFile::remove(Q("card/F00012.IM2"));
        QDir(Q("last")).removeRecursively();
        QCOMPARE(OpenDialogStart(profile) + " " + ConvertFolderStart(profile), At("home") + " " + At("home"));
    }
};

}  // namespace tvx

QTEST_MAIN(tvx::DialogsTest)
#include "dialogs_test.moc"
