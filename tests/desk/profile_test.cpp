#include "desk_test_support.h"

#include "desk/open_dialog.h"
#include "desk/profile.h"

#include <QFileDialog>
#include <QTest>

#include <fstream>

namespace tvx {

namespace fs = std::filesystem;
using desktest::Slurp;
using desktest::TempFolder;
using desktest::WhenModal;

class ProfileTest : public QObject {
    Q_OBJECT
private slots:
    void KeysAreWrittenAsTheyAreNamed();
    void AnyPathComesBackUnchanged();
    void AHandWrittenFileIsRead();
    void MissingPlacesFallBackToTheHomeFolder();
    void TheOpenDialogStartsAtTheLastFile();
};

void ProfileTest::KeysAreWrittenAsTheyAreNamed() {
    const TempFolder temp("keys");
    {
        Profile profile(QString::fromStdString(temp / "tessivox.ini"));
        profile.SetLastFile("/media/card/F00012.IM2");
        QCOMPARE(Slurp(temp / "tessivox.ini"),
                 std::string("[SETTINGS]\nLast File=/media/card/F00012.IM2\n"));
        profile.SetLastConvertPath("/home/me/out");
    }
    QCOMPARE(Slurp(temp / "tessivox.ini"),
             std::string("[SETTINGS]\nLast Convert Path=/home/me/out\nLast File=/media/card/F00012.IM2\n"));
}

void ProfileTest::AnyPathComesBackUnchanged() {
    const TempFolder temp("bytes");
    const std::string odd = std::string("/tmp/a b\\c/line\nbreak/\r/=;,\"quoted\"/\xff\xfe.IM2");
    {
        Profile profile(QString::fromStdString(temp / "tessivox.ini"));
        profile.SetLastFile(odd);
        profile.SetLastConvertPath("");
    }
    const Profile again(QString::fromStdString(temp / "tessivox.ini"));
    QCOMPARE(again.LastFile(), odd);
    QCOMPARE(again.LastConvertPath(), std::string());
    const std::string text = Slurp(temp / "tessivox.ini");
    QCOMPARE(std::count(text.begin(), text.end(), '\n'), 3);   // one line a key
}

void ProfileTest::AHandWrittenFileIsRead() {
    const TempFolder temp("hand");
    std::ofstream(temp / "tessivox.ini")
        << "; kept by hand\r\n[OTHER]\r\nLast File=/wrong\r\n[SETTINGS]\r\n"
           "Last File = /right/F1.IX2\r\nLast Convert Path=/out\r\n";
    const Profile profile(QString::fromStdString(temp / "tessivox.ini"));
    QCOMPARE(profile.LastFile(), std::string("/right/F1.IX2"));
    QCOMPARE(profile.LastConvertPath(), std::string("/out"));
}

void ProfileTest::MissingPlacesFallBackToTheHomeFolder() {
    const TempFolder temp("home");
    fs::create_directories(temp / "home");
    fs::create_directories(temp / "out");
    std::ofstream(temp / "F00012.IM2") << "image";
    qputenv("HOME", QByteArray::fromStdString(temp / "home"));
    Profile profile(QString::fromStdString(temp / "tessivox.ini"));
    QCOMPARE(OpenDialogStart(profile), temp / "home");
    QCOMPARE(ConvertFolderStart(profile), temp / "home");
    profile.SetLastFile(temp / "F00012.IM2");
    profile.SetLastConvertPath(temp / "out");
    QCOMPARE(OpenDialogStart(profile), temp / "F00012.IM2");
    QCOMPARE(ConvertFolderStart(profile), temp / "out");
    fs::remove(temp / "F00012.IM2");
    fs::remove(temp / "out");
    QCOMPARE(OpenDialogStart(profile), temp / "home");
    QCOMPARE(ConvertFolderStart(profile), temp / "home");
}

void ProfileTest::TheOpenDialogStartsAtTheLastFile() {
    const TempFolder temp("open");
    fs::create_directories(temp / "card");
    for (const char* name : {"F00012.IM2", "f00013.ix2", "V00007.Img", "notes.txt"})
        std::ofstream(temp / ("card/" + std::string(name))) << "x";
    Profile profile(QString::fromStdString(temp / "tessivox.ini"));
    profile.SetLastFile(temp / "card/F00012.IM2");
    QString startedIn;
    QStringList preselected;
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
        startedIn = dialog->directory().absolutePath();
        preselected = dialog->selectedFiles();
        desktest::ChooseFile(dialog, QString::fromStdString(temp / "card/f00013.ix2"));
    });
    const std::optional<std::string> chosen = ChooseImage(nullptr, profile);
    QCOMPARE(startedIn, QString::fromStdString(temp / "card"));
    QCOMPARE(preselected, QStringList{QString::fromStdString(temp / "card/F00012.IM2")});
    QCOMPARE(chosen.value_or("(none)"), temp / "card/f00013.ix2");

    WhenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    QVERIFY(!ChooseImage(nullptr, profile).has_value());
    QCOMPARE(OpenFilter(), QStringLiteral("All Supported files (*.ix2 *.im2 *.img);;"
                                          "IMG Files (*.img);;IM2 Files (*.im2);;"
                                          "IX2 Files (*.ix2);;All Files (*)"));
}

}  // namespace tvx

QTEST_MAIN(tvx::ProfileTest)
#include "profile_test.moc"
