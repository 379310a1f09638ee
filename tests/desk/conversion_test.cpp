#include "desk_test_support.h"

#include "desk/conversion.h"
#include "desk/progress_dialog.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <fstream>

namespace tvx {

namespace fs = std::filesystem;
using desktest::AnswerMessageBox;
using desktest::FileNames;
using desktest::RunCli;
using desktest::Slurp;
using desktest::TempFolder;

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::uint32_t LoadLe32(const std::string& bytes, std::size_t at) {
    return std::uint32_t{static_cast<std::uint8_t>(bytes[at])} |
           std::uint32_t{static_cast<std::uint8_t>(bytes[at + 1])} << 8 |
           std::uint32_t{static_cast<std::uint8_t>(bytes[at + 2])} << 16 |
           std::uint32_t{static_cast<std::uint8_t>(bytes[at + 3])} << 24;
}

std::string MakeIm2(const TempFolder& temp, std::uint32_t blocks,
                    std::vector<synth::Fault> faults = {}) {
    synth::Im2Options o;
    o.storedBits = 16;
    o.blocks = blocks;
    const std::string path = temp / "F00012.IM2";
    return synth::WriteBytes(path, synth::MakeIm2(o, faults)) ? path : std::string();
}

}  // namespace

class ConversionTest : public QObject {
    Q_OBJECT
private slots:
    void TheDialogsPassWritesWhatTheToolWrites_data();
    void TheDialogsPassWritesWhatTheToolWrites();
    void CancelEndsTheCurrentSegmentWithoutSummary();
    void NoToTheOverwriteQuestionWritesNothing();
};

void ConversionTest::TheDialogsPassWritesWhatTheToolWrites_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("megabytes");
    QTest::addColumn<int>("files");
    QTest::newRow("IM2 with faults, two segments") << "im2" << "F00012.IM2" << 1 << 4;
    QTest::newRow("IX2 plain, two segments") << "ix2" << "S00012.IX2" << 1 << 4;
    QTest::newRow("IX2 chain") << "chain" << "C00012.IX2" << 0 << 2;
    QTest::newRow("IMG 8-bit, two segments") << "img8" << "V00007.IMG" << 1 << 4;
    QTest::newRow("IMG 5-bit") << "img5" << "W00007.IMG" << 0 << 2;
}

void ConversionTest::TheDialogsPassWritesWhatTheToolWrites() {
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(int, megabytes);
    QFETCH(int, files);
    const TempFolder temp("same-" + kind.toStdString());
    const std::string image = temp / name.toStdString();
    if (kind == "im2") {
        synth::Im2Options o;
        o.blocks = 2500;
        const std::vector<synth::Fault> faults{{synth::FaultKind::BadHeader, 0},
                                               {synth::FaultKind::Timestamp, 3},
                                               {synth::FaultKind::PayloadByte, 2100}};
        QVERIFY(synth::WriteBytes(image, synth::MakeIm2(o, faults)));
    } else if (kind == "ix2" || kind == "chain") {
        synth::Ix2Options o;
        o.chain = kind == "chain";
        o.audio.blocks = o.chain ? 300 : 2500;
        o.splitFirst = 40;
        const std::vector<synth::Fault> faults{{synth::FaultKind::PayloadByte, 7}};
        QVERIFY(synth::WriteIx2File(image, o, faults));
    } else {
        synth::ImgOptions o;
        o.bits = kind == "img8" ? 8 : 5;
        o.records = kind == "img8" ? 2500 : 300;
        o.erased = 3;
        const std::vector<synth::ImgFault> faults{{synth::ImgFaultKind::VoiceChecksum, 40}};
        QVERIFY(synth::WriteImgFile(image, o, faults));
    }
    fs::create_directories(temp.Path() / "out");
    std::vector<std::string> args{"convert", image, "--out", temp / "out"};
    if (megabytes != 0)
        args.insert(args.end(), {"--megabytes", std::to_string(megabytes)});
    QVERIFY(RunCli(TVX_CLI_PATH, args) >= 0);
    fs::rename(temp.Path() / "out", temp.Path() / "cli");
    fs::create_directories(temp.Path() / "out");

    ConvertChoice choice;
    choice.folder = temp / "out";
    choice.megabytes = static_cast<std::uint16_t>(megabytes);
    const ConvertResult result = RunConversion(nullptr, image, ChooseFormat(image), choice);
    QCOMPARE(int(result.outcome), int(ConvertOutcome::Completed));

    const std::vector<std::string> written = FileNames(temp.Path() / "out");
    QCOMPARE(int(written.size()), files);
    QCOMPARE(FileNames(temp.Path() / "cli"), written);
    for (const std::string& file : written) {
        const std::string ours = Slurp(temp.Path() / "out" / file);
        QVERIFY2(ours.size() > 44, file.c_str());
        QVERIFY2(ours == Slurp(temp.Path() / "cli" / file), file.c_str());
    }
}

void ConversionTest::CancelEndsTheCurrentSegmentWithoutSummary() {
    const TempFolder temp("cancel");
    const std::string image = MakeIm2(temp, 4000);   // 16-bit mono: 1,875 blocks a minute
    QVERIFY(!image.empty());
    fs::create_directories(temp.Path() / "out");
    ConvertChoice choice{temp / "out", 1, 0};
    int cancelledAt = -1;
    const ConvertResult result =
        RunConversion(nullptr, image, ImageFormat::Im2, choice, [&](CProgressDlg& progress) {
            progress.SetPumpInterval(0);
            auto* press = new QTimer(&progress);
            QObject::connect(press, &QTimer::timeout, [&progress, press, &cancelledAt] {
                if (progress.BarValue() < 60)
                    return;
                cancelledAt = progress.BarValue();
                press->stop();
                progress.findChild<QPushButton*>(QStringLiteral("cancel"))->click();
            });
            press->start(0);
        });
    QCOMPARE(int(result.outcome), int(ConvertOutcome::Cancelled));
    QVERIFY(cancelledAt >= 60 && cancelledAt < 90);
    QCOMPARE(FileNames(temp.Path() / "out"),
             (std::vector<std::string>{"F00012.00.txt", "F00012.00.wav", "F00012.01.txt",
                                       "F00012.01.wav"}));
    const std::string first = Slurp(temp.Path() / "out" / "F00012.00.txt");
    QVERIFY(Has(first, "Decryption Completed.\r\n"));
    QVERIFY(Has(first, "IM2 / IX2 DECRYPTION SUMMARY"));
    const std::string current = Slurp(temp.Path() / "out" / "F00012.01.txt");
    QVERIFY(current.ends_with("Creating File: F00012.01.wav\r\r\nDecryption Cancelled.\r\n"));
    QVERIFY(!Has(current, "DECRYPTION SUMMARY"));
    const std::string wav = Slurp(temp.Path() / "out" / "F00012.01.wav");
    QVERIFY(wav.size() > 44 && wav.size() < 44 + 960000);
    QCOMPARE(LoadLe32(wav, 40), std::uint32_t(wav.size() - 44));   // sizes patched on close
    QCOMPARE(LoadLe32(wav, 4), std::uint32_t(wav.size() - 8));
}

void ConversionTest::NoToTheOverwriteQuestionWritesNothing() {
    const TempFolder temp("overwrite");
    const std::string image = MakeIm2(temp, 50);
    QVERIFY(!image.empty());
    fs::create_directories(temp.Path() / "out");
    const ConvertChoice choice{temp / "out", 0, 0};
    QCOMPARE(int(RunConversion(nullptr, image, ImageFormat::Im2, choice).outcome),
             int(ConvertOutcome::Completed));
    std::ofstream(temp.Path() / "out" / "F00012.00.txt", std::ios::trunc) << "kept";
    fs::remove(temp.Path() / "out" / "F00012.00.wav");
    std::ofstream(temp.Path() / "out" / "F00012.00.wav", std::ios::trunc) << "kept too";
    std::ofstream(temp.Path() / "out" / "F00012.01.wav") << "an earlier run's second segment";

    QString question;
    AnswerMessageBox(QMessageBox::No, &question);
    QCOMPARE(int(RunConversion(nullptr, image, ImageFormat::Im2, choice).outcome),
             int(ConvertOutcome::Declined));
    QCOMPARE(question, QStringLiteral("The file: ") + QString::fromStdString(temp / "out") +
                           QStringLiteral("/F00012.00.wav already exists. Overwrite and recreate "
                                          "its (.Txt) file?"));
    QCOMPARE(Slurp(temp.Path() / "out" / "F00012.00.txt"), std::string("kept"));
    QCOMPARE(Slurp(temp.Path() / "out" / "F00012.00.wav"), std::string("kept too"));
    QCOMPARE(FileNames(temp.Path() / "out").size(), std::size_t{3});

    // Yes replaces the earlier run as a whole: its second segment does not stay beside ours.
    AnswerMessageBox(QMessageBox::Yes);
    QCOMPARE(int(RunConversion(nullptr, image, ImageFormat::Im2, choice).outcome),
             int(ConvertOutcome::Completed));
    QCOMPARE(fs::file_size(temp.Path() / "out" / "F00012.00.wav"), std::uintmax_t{44 + 50 * 512});
    QCOMPARE(FileNames(temp.Path() / "out"),
             (std::vector<std::string>{"F00012.00.txt", "F00012.00.wav"}));
}

}  // namespace tvx

QTEST_MAIN(tvx::ConversionTest)
#include "conversion_test.moc"
