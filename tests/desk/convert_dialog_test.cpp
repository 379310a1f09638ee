#include "desk_test_support.h"

#include "desk/conversion.h"
#include "desk/profile.h"
#include "desk/wav_convert_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <fstream>

namespace tvx {

namespace fs = std::filesystem;
using desktest::AnswerMessageBox;
using desktest::Slurp;
using desktest::TempFolder;
using desktest::WhenModal;

namespace {

template <typename T>
T* Child(QWidget* dialog, const char* name) {
    T* child = dialog->findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(child != nullptr);
    return child;
}

}  // namespace

class ConvertDialogTest : public QObject {
    Q_OBJECT
private slots:
    void CheckingOneBoxClearsTheOther();
    void ConvertRefusesAFolderThatIsNotThere();
    void AnUncheckedNumberIsDropped();
    void ANonNumberIsRefusedOnlyWhereItCounts();
    void AskConversionKeepsTheFolderAndTheLow16Bits();
    void CancelChangesNothing();
};

void ConvertDialogTest::CheckingOneBoxClearsTheOther() {
    CWavConvert dialog;
    auto* minutes = Child<QCheckBox>(&dialog, "minutesBox");
    auto* megabytes = Child<QCheckBox>(&dialog, "megabytesBox");
    auto* minutesEdit = Child<QLineEdit>(&dialog, "minutes");
    auto* megabytesEdit = Child<QLineEdit>(&dialog, "megabytes");
    QVERIFY(!minutesEdit->isEnabled() && !megabytesEdit->isEnabled());
    QCOMPARE(minutesEdit->text(), QStringLiteral("0"));

    megabytes->click();
    QVERIFY(megabytes->isChecked() && megabytesEdit->isEnabled() && !minutesEdit->isEnabled());
    minutes->click();
    QVERIFY(minutes->isChecked() && !megabytes->isChecked());
    QVERIFY(minutesEdit->isEnabled() && !megabytesEdit->isEnabled());
    minutes->click();
    QVERIFY(!minutes->isChecked() && !megabytes->isChecked());
    QVERIFY(!minutesEdit->isEnabled() && !megabytesEdit->isEnabled());
}

void ConvertDialogTest::ConvertRefusesAFolderThatIsNotThere() {
    const TempFolder temp("missing");
    for (const std::string& folder : {temp / "nope", temp / "a-file"}) {
        if (folder.ends_with("a-file"))
            std::ofstream(folder) << "not a folder";
        CWavConvert dialog;
        dialog.SetFolder(QString::fromStdString(folder));
        QString message;
        bool stillOpen = false;
        WhenModal<CWavConvert>([&](CWavConvert* d) {
            AnswerMessageBox(QMessageBox::Ok, &message);
            Child<QPushButton>(d, "convert")->click();
            stillOpen = d->isVisible();
            d->reject();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(stillOpen);
        QCOMPARE(message, QStringLiteral("Error: The supplied directory could not be accessed.\n\n"
                                         "Please verify your directory path."));
    }
}

void ConvertDialogTest::AnUncheckedNumberIsDropped() {
    const TempFolder temp("dropped");
    CWavConvert dialog;
    dialog.SetFolder(QString::fromStdString(temp.Path().string()));
    Child<QCheckBox>(&dialog, "minutesBox")->click();
    Child<QLineEdit>(&dialog, "minutes")->setText(QStringLiteral("5"));
    Child<QLineEdit>(&dialog, "megabytes")->setText(QStringLiteral("7"));
    WhenModal<CWavConvert>([](CWavConvert* d) { Child<QPushButton>(d, "convert")->click(); });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(dialog.Minutes(), 5);
    QCOMPARE(dialog.Megabytes(), 0);
}

void ConvertDialogTest::ANonNumberIsRefusedOnlyWhereItCounts() {
    const TempFolder temp("numbers");
    CWavConvert dialog;
    dialog.SetFolder(QString::fromStdString(temp.Path().string()));
    Child<QCheckBox>(&dialog, "megabytesBox")->click();
    Child<QLineEdit>(&dialog, "megabytes")->setText(QStringLiteral("12x"));
    Child<QLineEdit>(&dialog, "minutes")->setText(QStringLiteral("junk"));   // unchecked: dropped
    QString message;
    WhenModal<CWavConvert>([&](CWavConvert* d) {
        AnswerMessageBox(QMessageBox::Ok, &message);
        Child<QPushButton>(d, "convert")->click();
        Child<QLineEdit>(d, "megabytes")->setText(QStringLiteral(" 12 "));
        Child<QPushButton>(d, "convert")->click();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(message, QStringLiteral("Please enter an integer."));
    QCOMPARE(dialog.Megabytes(), 12);
    QCOMPARE(dialog.Minutes(), 0);
}

void ConvertDialogTest::AskConversionKeepsTheFolderAndTheLow16Bits() {
    const TempFolder temp("ask");
    fs::create_directories(temp / "home");
    fs::create_directories(temp / "out");
    qputenv("HOME", QByteArray::fromStdString(temp / "home"));
    Profile profile(QString::fromStdString(temp / "tessivox.ini"));
    QString offered;
    WhenModal<CWavConvert>([&](CWavConvert* d) {
        offered = Child<QLineEdit>(d, "folder")->text();
        Child<QLineEdit>(d, "folder")->setText(QString::fromStdString(temp / "out"));
        Child<QCheckBox>(d, "minutesBox")->click();
        Child<QLineEdit>(d, "minutes")->setText(QStringLiteral("70000"));
        Child<QPushButton>(d, "convert")->click();
    });
    const std::optional<ConvertChoice> choice = AskConversion(nullptr, profile);
    QVERIFY(choice.has_value());
    QCOMPARE(offered, QString::fromStdString(temp / "home"));   // nothing kept yet
    QCOMPARE(choice->folder, temp / "out");
    QCOMPARE(int(choice->minutes), 4464);
    QCOMPARE(int(choice->megabytes), 0);
    QCOMPARE(QString::fromStdString(Slurp(temp / "tessivox.ini")),
             QStringLiteral("[SETTINGS]\nLast Convert Path=") + QString::fromStdString(temp / "out") +
                 '\n');

    WhenModal<CWavConvert>([&](CWavConvert* d) {
        offered = Child<QLineEdit>(d, "folder")->text();
        d->reject();
    });
    QVERIFY(!AskConversion(nullptr, profile).has_value());
    QCOMPARE(offered, QString::fromStdString(temp / "out"));   // the kept folder comes back
}

void ConvertDialogTest::CancelChangesNothing() {
    const TempFolder temp("cancel");
    Profile profile(QString::fromStdString(temp / "tessivox.ini"));
    profile.SetLastConvertPath(temp.Path().string());
    const std::string before = Slurp(temp / "tessivox.ini");
    WhenModal<CWavConvert>([&](CWavConvert* d) {
        Child<QLineEdit>(d, "folder")->setText(QStringLiteral("/elsewhere"));
        d->reject();
    });
    QVERIFY(!AskConversion(nullptr, profile).has_value());
    QCOMPARE(Slurp(temp / "tessivox.ini"), before);
}

}  // namespace tvx

QTEST_MAIN(tvx::ConvertDialogTest)
#include "convert_dialog_test.moc"
