#include "desk_test_support.h"

#include "analysis/im2_header.h"
#include "desk/details_dialog.h"
#include "desk/help.h"
#include "desk/progress_dialog.h"
#include "export/details.h"
#include "synth/synth.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace tvx {

using desktest::AnswerMessageBox;
using desktest::TempFolder;

class SmallDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void ProgressBarShowsHundredthsOfItsRange();
    void CancelButtonAndEscapeBothCancel();
    void DetailsShowTheEngineTexts();
    void ShortGuidePathKeepsItsHeadAndTail_data();
    void ShortGuidePathKeepsItsHeadAndTail();
    void AMissingGuideIsNamedInMessage149();
    void TheGuideIsLookedForBesideAndWhereInstalled();
};

void SmallDialogsTest::ProgressBarShowsHundredthsOfItsRange() {
    CProgressDlg progress;
    progress.SetRange(1000);
    for (const auto& [position, bar] : {std::pair{0, 0}, {500, 50}, {999, 99}, {1000, 100}, {7, 0}}) {
        progress.SetPos(position);
        QCOMPARE(progress.BarValue(), bar);
    }
    progress.SetMessage("Decrypting: F00012.IM2\r\n");
    QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("message"))->text(),
             QStringLiteral("Decrypting: F00012.IM2"));
}

void SmallDialogsTest::CancelButtonAndEscapeBothCancel() {
    CProgressDlg clicked;
    clicked.ShowProgress(true);
    QVERIFY(!clicked.IsCancelled());
    QTest::mouseClick(clicked.findChild<QPushButton*>(QStringLiteral("cancel")), Qt::LeftButton);
    QVERIFY(clicked.IsCancelled());

    CProgressDlg escaped;
    escaped.ShowProgress(true);
    QTest::keyClick(&escaped, Qt::Key_Escape);
    QVERIFY(escaped.IsCancelled());
    QVERIFY(escaped.isVisible());   // the pass closes it when it has stopped
}

void SmallDialogsTest::DetailsShowTheEngineTexts() {
    const TempFolder temp("details");
    synth::Im2Options o;
    o.blocks = 20;
    const std::string path = temp / "F00012.IM2";
    QVERIFY(synth::WriteBytes(path, synth::MakeIm2(o)));
    CIm2 image;
    QVERIFY(!LoadIm2Header(path, image).has_value());
    CDetails dialog;
    dialog.SetFields(Im2Details(image));
    const auto text = [&](const char* name) {
        return dialog.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    };
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("caption"))->text(),
             QStringLiteral("The details of the loaded IM2 file are:"));
    QCOMPARE(text("number"), QStringLiteral("12"));
    QCOMPARE(text("sampleRate"), QStringLiteral("8000"));
    QCOMPARE(text("bits"), QStringLiteral("16"));
    QCOMPARE(text("channels"), QStringLiteral("1"));
    QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("details"))->toPlainText(),
             QStringLiteral("Recording:\nStart:\tFri, 14 Mar 2008, 09:26:53\nDuration:\t0:00:00\n"
                            "Complete:\tYES\n"));
    QVERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("unitText"))->isReadOnly());
}

void SmallDialogsTest::ShortGuidePathKeepsItsHeadAndTail_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");
    QTest::newRow("short stays") << "/opt/tessivox/manuals/Tessivox User Guide.pdf"
                                 << "/opt/tessivox/manuals/Tessivox User Guide.pdf";
    QTest::newRow("63 characters stay")
        << "/home/someone/apps/tessivox/bin/manuals/Tessivox User Guide.pdf"
        << "/home/someone/apps/tessivox/bin/manuals/Tessivox User Guide.pdf";
    QTest::newRow("64 characters are cut")
        << "/home/someone/apps/tessivox/bin2/manuals/Tessivox User Guide.pdf"
        << "/home/someone/apps/.../manuals/Tessivox User Guide.pdf";
    QTest::newRow("long is cut after a slash")
        << "/home/someone/programs/tessivox-1.3.7/bin/manuals/Tessivox User Guide.pdf"
        << "/home/someone/programs/.../manuals/Tessivox User Guide.pdf";
    QTest::newRow("one long name")
        << "/averyveryveryverylongfoldername/manuals/Tessivox User Guide.pdf"
        << "/.../manuals/Tessivox User Guide.pdf";
}

void SmallDialogsTest::ShortGuidePathKeepsItsHeadAndTail() {
    QFETCH(QString, path);
    QFETCH(QString, shown);
    QCOMPARE(ShortGuidePath(path), shown);
}

void SmallDialogsTest::AMissingGuideIsNamedInMessage149() {
    QString message;
    AnswerMessageBox(QMessageBox::Ok, &message);
    OpenUserGuide(nullptr);
    const QString expected = ShortGuidePath(QCoreApplication::applicationDirPath() +
                                            QStringLiteral("/manuals/Tessivox User Guide.pdf"));
    QCOMPARE(message, QStringLiteral("The help file\n\"") + expected + QStringLiteral("\"\ncould not found."));
}

void SmallDialogsTest::TheGuideIsLookedForBesideAndWhereInstalled() {
    QCOMPARE(UserGuidePlaces(QStringLiteral("/opt/tvx/bin")),
             (QStringList{"/opt/tvx/bin/manuals/Tessivox User Guide.pdf",
                          "/opt/tvx/share/doc/tessivox/manuals/Tessivox User Guide.pdf"}));
}

}  // namespace tvx

QTEST_MAIN(tvx::SmallDialogsTest)
#include "small_dialogs_test.moc"
