#include "desk_test_support.h"

#include "desk/folder_rules.h"
#include "desk/path_dialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <fstream>

namespace tvx {

namespace fs = std::filesystem;
using desktest::AnswerMessageBox;
using desktest::TempFolder;
using desktest::WhenModal;

class FolderChooserTest : public QObject {
    Q_OBJECT
private slots:
    void PathForms_data();
    void PathForms();
    void CreatesEveryMissingFolderOfAPath();
    void AFileInTheWayIsNoFolder();
    void AMissingFolderIsCreatedAfterOneQuestion();
    void DeclinedCreationKeepsTheChooserOpen();
    void InvalidTypedPathIsRefusedWithItsMessage();
    void TheInitialFolderIsSelectedAndOffered();
};

void FolderChooserTest::PathForms_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("expected");
    const int good = 0;
    const int invalid = 1;
    QTest::newRow("root") << QByteArray("/") << good;
    QTest::newRow("one folder") << QByteArray("/out") << good;
    QTest::newRow("nested with blanks inside") << QByteArray("/my out/day 1") << good;
    QTest::newRow("dots inside a name") << QByteArray("/out/v1.2") << good;
    QTest::newRow("empty") << QByteArray("") << invalid;
    QTest::newRow("relative") << QByteArray("out") << invalid;
    QTest::newRow("trailing slash") << QByteArray("/out/") << invalid;
    QTest::newRow("server share") << QByteArray("//server/share") << invalid;
    QTest::newRow("empty component") << QByteArray("/a//b") << invalid;
    QTest::newRow("ends with a dot") << QByteArray("/dir.") << invalid;
    QTest::newRow("begins with a dot") << QByteArray("/.cache") << invalid;
    QTest::newRow("parent") << QByteArray("/a/../b") << invalid;
    QTest::newRow("leading blank") << QByteArray("/ out") << invalid;
    QTest::newRow("trailing blank") << QByteArray("/out ") << invalid;
    QTest::newRow("leading tab") << QByteArray("/\tout") << invalid;
    for (const char c : QByteArray("\"*:<>?\\|")) {
        const QByteArray path = QByteArray("/a") + c + "b";
        QTest::newRow(("forbidden " + QByteArray(1, c)).constData()) << path << invalid;
    }
}

void FolderChooserTest::PathForms() {
    QFETCH(QByteArray, path);
    QFETCH(int, expected);
    QCOMPARE(static_cast<int>(CheckFolderPath(path.toStdString(), FolderMode::Check)), expected);
}

void FolderChooserTest::CreatesEveryMissingFolderOfAPath() {
    const TempFolder temp("create");
    const std::string path = temp / "new/sub/deeper";
    QCOMPARE(static_cast<int>(CheckFolderPath(path, FolderMode::Check)), 0);
    QVERIFY(!fs::exists(temp / "new"));   // checking makes nothing
    QCOMPARE(static_cast<int>(CheckFolderPath(path, FolderMode::Create)), 0);
    QVERIFY(fs::is_directory(temp / "new/sub/deeper"));
    QCOMPARE(static_cast<int>(CheckFolderPath(path, FolderMode::Create)), 0);   // again: fine
    QCOMPARE(static_cast<int>(CheckFolderPath("/", FolderMode::Create)), 0);
}

void FolderChooserTest::AFileInTheWayIsNoFolder() {
    const TempFolder temp("blocked");
    std::ofstream(temp / "plain") << "x";
    QCOMPARE(static_cast<int>(CheckFolderPath(temp / "plain/sub", FolderMode::Create)), 2);
    QCOMPARE(static_cast<int>(CheckFolderPath(temp / "plain", FolderMode::Create)), 2);
}

void FolderChooserTest::AMissingFolderIsCreatedAfterOneQuestion() {
    const TempFolder temp("ask");
    const QString typed = QString::fromStdString(temp / "new/sub");
    CPathDialog chooser(QStringLiteral("Decoded .WAV Folder"),
                        QStringLiteral("Select folder for decrypted WAV files:"),
                        QString::fromStdString(temp.Path().string()));
    int questions = 0;
    QString question;
    WhenModal<CPathDialog>([&](CPathDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("folderPath"))->setText(typed);
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            ++questions;
            question = box->text();
            box->button(QMessageBox::Yes)->click();
        });
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    QCOMPARE(chooser.DoModal(), 1);
    QCOMPARE(questions, 1);
    QCOMPARE(question, QStringLiteral("The folder:\n\n") + typed +
                           QStringLiteral("\n\ndoes not exist. Do you want the folder to be created?"));
    QCOMPARE(chooser.GetPathName(), typed);
    QVERIFY(fs::is_directory(temp / "new/sub"));
}

void FolderChooserTest::DeclinedCreationKeepsTheChooserOpen() {
    const TempFolder temp("decline");
    const QString typed = QString::fromStdString(temp / "never");
    CPathDialog chooser({}, {}, QString::fromStdString(temp.Path().string()));
    bool stillOpen = false;
    WhenModal<CPathDialog>([&](CPathDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("folderPath"))->setText(typed);
        AnswerMessageBox(QMessageBox::No);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        stillOpen = dialog->isVisible();
        dialog->reject();
    });
    QCOMPARE(chooser.DoModal(), -1);
    QVERIFY(stillOpen);
    QVERIFY(!fs::exists(temp / "never"));
}

void FolderChooserTest::InvalidTypedPathIsRefusedWithItsMessage() {
    const TempFolder temp("invalid");
    CPathDialog chooser({}, {}, QString::fromStdString(temp.Path().string()));
    const QString typed = QString::fromStdString(temp / "out/");
    QString message;
    bool stillOpen = false;
    WhenModal<CPathDialog>([&](CPathDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("folderPath"))->setText(typed);
        AnswerMessageBox(QMessageBox::Ok, &message);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        stillOpen = dialog->isVisible();
        dialog->reject();
    });
    QCOMPARE(chooser.DoModal(), -1);
    QVERIFY(stillOpen);
    QCOMPARE(message, QStringLiteral("The folder:\n\n") + typed +
                          QStringLiteral("\n\nis invalid. Please reenter."));
    QVERIFY(!fs::exists(temp / "out"));
}

void FolderChooserTest::TheInitialFolderIsSelectedAndOffered() {
    const TempFolder temp("initial");
    fs::create_directories(temp / "here");
    const QString here = QString::fromStdString(temp / "here");
    CPathDialog chooser({}, {}, here);
    QCOMPARE(chooser.findChild<QLineEdit*>(QStringLiteral("folderPath"))->text(), here);
    QVERIFY(chooser.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
    chooser.findChild<QLineEdit*>(QStringLiteral("folderPath"))->clear();
    QVERIFY(!chooser.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
    WhenModal<CPathDialog>([&](CPathDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("folderPath"))->setText(here);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    QCOMPARE(chooser.DoModal(), 1);
    QCOMPARE(chooser.GetPathName(), here);
}

}  // namespace tvx

QTEST_MAIN(tvx::FolderChooserTest)
#include "folder_chooser_test.moc"
