// The program's dialogs driven as a person does: the folder chooser and its rules, the
// convert dialog, the progress dialog, the user guide's message, and the profile that
// remembers where the user was.
#include "desk_test_support.h"

#include "desk/conversion.h"
#include "desk/folder_rules.h"
#include "desk/help.h"
#include "desk/open_dialog.h"
#include "desk/path_dialog.h"
#include "desk/profile.h"
#include "desk/progress_dialog.h"
#include "desk/wav_convert_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <fstream>

namespace tvx {

namespace fs = std::filesystem;
using namespace desktest;

namespace {

template <typename T>
T* Child(QWidget* dialog, const char* name) {
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

int Check(const std::string& path, FolderMode mode = FolderMode::Check) {
    return static_cast<int>(CheckFolderPath(path, mode));
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void TheFolderRulesAndTheChooserThatAppliesThem() {
        for (const char* good : {"/", "/out", "/my out/day 1", "/out/v1.2"})
            QVERIFY2(Check(good) == 0, good);
        std::vector<std::string> bad{"",      "out",      "/out/",  "//server/share", "/a//b",
                                     "/dir.", "/.cache",  "/a/../b", "/ out", "/out ", "/\tout"};
        for (const char c : std::string("\"*:<>?\\|"))
            bad.push_back(std::string("/a") + c + "b");
        for (const std::string& path : bad)
            QVERIFY2(Check(path) == 1, path.c_str());
        // Checking makes nothing (the chooser creates); a file in the way is no folder.
        const TempFolder temp("rules");
        QCOMPARE(Check(temp / "new/sub"), 0);
        QVERIFY(!fs::exists(temp / "new"));
        std::ofstream(temp / "plain") << "x";
        QCOMPARE(Check(temp / "plain/sub", FolderMode::Create), 2);
        // The chooser offers its first folder, asks before it creates one, refuses what the
        // rules refuse, and takes a folder that is there without a question.
        fs::create_directories(temp / "here");
        const QString start = QString::fromStdString(temp / "here");
        const auto in = [&](const char* name) { return QString::fromStdString(temp / name); };
        const QString ask = "does not exist. Do you want the folder to be created?";
        struct Case {
            QString typed;
            int answer, result;
            QString question;   // the message's last line, if one comes
        };
        for (const Case& c : {Case{in("new/sub"), QMessageBox::Yes, 1, ask}, {in("never"), QMessageBox::No, -1, ask},
                              {in("out/"), QMessageBox::Ok, -1, "is invalid. Please reenter."},
                              {start, QMessageBox::Ok, 1, ""}}) {   // last: no question comes
            CPathDialog chooser({}, {}, start);
            auto* path = Child<QLineEdit>(&chooser, "folderPath");
            QPushButton* ok = chooser.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            QCOMPARE(path->text(), start);
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
            QCOMPARE(fs::is_directory(c.typed.toStdString()), c.result == 1);
            if (c.result == 1)
                QCOMPARE(chooser.GetPathName(), c.typed);
        }
    }

    void TheConvertDialogTakesOnlyAFolderThereAndTheCheckedNumber() {
        const TempFolder temp("convert");
        std::ofstream(temp / "a-file") << "not a folder";
        const QString there = QString::fromStdString(temp.Path().string());
        const QString noFolder = "Error: The supplied directory could not be accessed.\n\n"
                                 "Please verify your directory path.";
        struct Case {
            QString folder;
            const char* box;   // the box to check, or none
            QString minutes, megabytes, message;
            QList<int> taken;   // minutes and megabytes, when Convert is taken
        };
        const Case cases[] = {
            {there + "/nope", nullptr, "0", "0", noFolder, {}},
            {there + "/a-file", nullptr, "0", "0", noFolder, {}},
            {there, "minutesBox", "5", "7", "", {5, 0}},   // the unchecked number is dropped
            {there, "megabytesBox", "junk", "12x", "Please enter an integer.", {}},
            {there, "megabytesBox", "junk", " 12 ", "", {0, 12}},
        };
        for (const Case& c : cases) {
            CWavConvert dialog;
            dialog.SetFolder(c.folder);
            if (c.box != nullptr)
                Child<QCheckBox>(&dialog, c.box)->click();
            Child<QLineEdit>(&dialog, "minutes")->setText(c.minutes);
            Child<QLineEdit>(&dialog, "megabytes")->setText(c.megabytes);
            QString message;
            WhenModal<CWavConvert>([&](CWavConvert* d) {
                if (!c.message.isEmpty())
                    AnswerMessageBox(QMessageBox::Ok, &message);
                Child<QPushButton>(d, "convert")->click();
                if (d->isVisible())   // refused: the dialog stays open
                    d->reject();
            });
            const bool taken = dialog.exec() == QDialog::Accepted;
            QCOMPARE(message, c.message);
            QCOMPARE(taken ? QList<int>({dialog.Minutes(), dialog.Megabytes()}) : QList<int>(), c.taken);
        }
        // Checking one box clears the other and enables only its own number.
        CWavConvert dialog;
        Child<QCheckBox>(&dialog, "megabytesBox")->click();
        Child<QCheckBox>(&dialog, "minutesBox")->click();
        QCOMPARE(QList<bool>({Child<QCheckBox>(&dialog, "megabytesBox")->isChecked(),
                              Child<QLineEdit>(&dialog, "minutes")->isEnabled(),
                              Child<QLineEdit>(&dialog, "megabytes")->isEnabled()}),
                 QList<bool>({false, true, false}));
    }

    void AskConversionKeepsTheFolderAndTheLow16BitsAndCancelChangesNothing() {
        const TempFolder temp("ask");
        fs::create_directories(temp / "out");
        Profile profile(QString::fromStdString(temp / "tessivox.ini"));
        WhenModal<CWavConvert>([&](CWavConvert* d) {
            FillConvert(d, QString::fromStdString(temp / "out"), "minutesBox", "70000");
        });
        const std::optional<ConvertChoice> choice = AskConversion(nullptr, profile);
        QVERIFY(choice.has_value());
        QCOMPARE(choice->folder, temp / "out");
        QCOMPARE(QList<int>({choice->minutes, choice->megabytes}), QList<int>({4464, 0}));
        const std::string kept = Slurp(temp / "tessivox.ini");
        QCOMPARE(kept, "[SETTINGS]\nLast Convert Path=" + (temp / "out") + "\n");
        WhenModal<CWavConvert>([&](CWavConvert* d) {
            Child<QLineEdit>(d, "folder")->setText(QStringLiteral("/elsewhere"));
            d->reject();
        });
        QVERIFY(!AskConversion(nullptr, profile).has_value());
        QCOMPARE(Slurp(temp / "tessivox.ini"), kept);
    }

    void ProgressShowsWholeHundredthsAndEscapeCancels() {
        CProgressDlg progress;
        progress.SetRange(1000);
        QList<int> bar;
        for (const int position : {500, 999, 1000})
            bar << (progress.SetPos(position), progress.BarValue());
        QCOMPARE(bar, QList<int>({50, 99, 100}));
        progress.SetMessage("Decrypting: F00012.IM2\r\n");
        QCOMPARE(Child<QLabel>(&progress, "message")->text(), QStringLiteral("Decrypting: F00012.IM2"));
        progress.ShowProgress(true);
        QTest::keyClick(&progress, Qt::Key_Escape);   // the button: the conversion test presses it
        QVERIFY(progress.IsCancelled());
        QVERIFY(progress.isVisible());   // the pass closes it when it has stopped
    }

    void AMissingGuideIsNamedByItsShortenedPath() {
        const QString tail = "/manuals/Tessivox User Guide.pdf";
        QCOMPARE(ShortGuidePath("/home/someone/apps/tessivox/bin" + tail), "/home/someone/apps/tessivox/bin" + tail);   // 63
        QCOMPARE(ShortGuidePath("/home/someone/apps/tessivox/bin2" + tail), "/home/someone/apps/..." + tail);   // 64
        QCOMPARE(ShortGuidePath("/averyveryveryverylongfoldername" + tail), "/..." + tail);
        QCOMPARE(UserGuidePlaces("/opt/tvx/bin"),
                 (QStringList{"/opt/tvx/bin" + tail, "/opt/tvx/share/doc/tessivox" + tail}));
        QString message;
        AnswerMessageBox(QMessageBox::Ok, &message);
        OpenUserGuide(nullptr);
        QCOMPARE(message, "The help file\n\"" + ShortGuidePath(QCoreApplication::applicationDirPath() + tail) +
                              "\"\ncould not found.");
    }

    void TheProfileKeepsItsKeysAndAnyPath() {
        const TempFolder temp("keys");
        // The plain form of both keys is the window tests' to read.
        const std::string odd = "/tmp/a b\\c/line\nbreak/\r/=;,\"quoted\"/\xff\xfe.IM2";
        {
            Profile profile(QString::fromStdString(temp / "tessivox.ini"));
            profile.SetLastConvertPath("/home/me/out");
            profile.SetLastFile(odd);
        }
        QCOMPARE(Profile(QString::fromStdString(temp / "tessivox.ini")).LastFile(), odd);
        const std::string text = Slurp(temp / "tessivox.ini");
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), 3);   // one line a key
        // One written by hand is read from its own section, blanks and line ends aside.
        std::ofstream(temp / "hand.ini") << "; kept by hand\r\n[OTHER]\r\nLast File=/wrong\r\n[SETTINGS]\r\n"
                                            "Last File = /right/F1.IX2\r\nLast Convert Path=/out\r\n";
        const Profile hand(QString::fromStdString(temp / "hand.ini"));
        QCOMPARE(hand.LastFile(), std::string("/right/F1.IX2"));
        QCOMPARE(hand.LastConvertPath(), std::string("/out"));
    }

    void OpenAndConvertStartWhereTheUserWasElseAtHome() {
        const TempFolder temp("open");
        fs::create_directories(temp / "home");
        fs::create_directories(temp / "out");
        fs::create_directories(temp / "card");
        for (const char* name : {"F00012.IM2", "f00013.ix2", "notes.txt"})
            std::ofstream(temp / ("card/" + std::string(name))) << "x";
        qputenv("HOME", QByteArray::fromStdString(temp / "home"));
        Profile profile(QString::fromStdString(temp / "tessivox.ini"));
        QCOMPARE(OpenDialogStart(profile), temp / "home");
        QCOMPARE(ConvertFolderStart(profile), temp / "home");
        profile.SetLastFile(temp / "card/F00012.IM2");
        profile.SetLastConvertPath(temp / "out");
        QCOMPARE(ConvertFolderStart(profile), temp / "out");
        QString startedIn;
        QStringList preselected;
        WhenModal<QFileDialog>([&](QFileDialog* dialog) {
            startedIn = dialog->directory().absolutePath();
            preselected = dialog->selectedFiles();
            ChooseFile(dialog, QString::fromStdString(temp / "card/f00013.ix2"));
        });
        QCOMPARE(ChooseImage(nullptr, profile).value_or("(none)"), temp / "card/f00013.ix2");
        QCOMPARE(startedIn, QString::fromStdString(temp / "card"));
        QCOMPARE(preselected, QStringList{QString::fromStdString(temp / "card/F00012.IM2")});
        QCOMPARE(OpenFilter(), QStringLiteral("All Supported files (*.ix2 *.im2 *.img);;"
                                              "IMG Files (*.img);;IM2 Files (*.im2);;"
                                              "IX2 Files (*.ix2);;All Files (*)"));
        fs::remove(temp / "card/F00012.IM2");
        fs::remove(temp / "out");
        QCOMPARE(OpenDialogStart(profile), temp / "home");
        QCOMPARE(ConvertFolderStart(profile), temp / "home");
    }
};

}  // namespace tvx

QTEST_MAIN(tvx::DialogsTest)
#include "dialogs_test.moc"
