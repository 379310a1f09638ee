// The conversion pass the window runs: what it writes against tessivox-cli for each format,
// Cancel, and the question before an earlier run's files are replaced.
#include "desk_test_support.h"

#include "desk/conversion.h"
#include "desk/progress_dialog.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtEndian>
#include <QTest>
#include <QTimer>

#include <fstream>

namespace tvx {

namespace fs = std::filesystem;
using namespace desktest;

namespace {

ConvertOutcome Convert(const std::string& image, const ConvertChoice& choice) {
    return RunConversion(nullptr, image, FormatOf(image).rules, choice).outcome;
}

}  // namespace

class ConversionTest : public QObject {
    Q_OBJECT
private slots:
    void ThePassWritesWhatTheToolWrites() {
        // Each format with faults: IM2 and IMG cut into segments of a megabyte, an IX2 chain.
        synth::Ix2Options chain;
        chain.audio.blocks = 300;
        chain.splitFirst = 40;
        chain.chain = true;
        const synth::Fault payload{synth::FaultKind::PayloadByte, 7};
        const synth::ImgFault voice{synth::ImgFaultKind::VoiceChecksum, 40};
        const std::vector<synth::Fault> im2Faults{{synth::FaultKind::BadHeader, 0},
                                                  {synth::FaultKind::Timestamp, 3},
                                                  {synth::FaultKind::PayloadByte, 2100}};
        struct Case {
            const char* name;
            std::function<bool(const std::string&)> write;
            int megabytes, files;
        };
        const Case cases[] = {
            {"F00012.IM2", [&](const std::string& p) { return synth::WriteIm2File(p, {.blocks = 2500}, im2Faults); }, 1, 5},   // + NAME.sha256
            {"C00012.IX2", [&](const std::string& p) { return synth::WriteIx2File(p, chain, {&payload, 1}); }, 0, 3},
            {"W00007.IMG", [&](const std::string& p) {
                 return synth::WriteImgFile(p, {.bits = 5, .records = 2500, .erased = 3}, {&voice, 1});
             }, 1, 5},
        };
        for (const Case& c : cases) {
            const TempFolder temp(std::string("same-") + c.name[0]);
            const std::string image = temp / c.name;
            QVERIFY2(c.write(image), c.name);
            // Both write into out/, as the text files name it; the tool's files move aside.
            fs::create_directories(temp / "out");
            std::vector<std::string> args{"convert", image, "--out", temp / "out"};
            if (c.megabytes != 0)
                args.insert(args.end(), {"--megabytes", std::to_string(c.megabytes)});
            QVERIFY(RunCli(TVX_CLI_PATH, args) >= 0);
            fs::rename(temp / "out", temp / "cli");
            fs::create_directories(temp / "out");
            ConvertChoice choice{temp / "out", 0, static_cast<std::uint16_t>(c.megabytes)};
            QCOMPARE(int(Convert(image, choice)), int(ConvertOutcome::Completed));
            const std::vector<std::string> written = FileNames(temp / "out");
            QCOMPARE(int(written.size()), c.files);
            QCOMPARE(FileNames(temp / "cli"), written);
            for (const std::string& file : written) {
                const std::string ours = Slurp(temp.Path() / "out" / file);
                QVERIFY2(ours.size() > 44 && ours == Slurp(temp.Path() / "cli" / file), file.c_str());
            }
        }
    }

    void CancelEndsTheCurrentSegmentWithoutSummary() {
        const TempFolder temp("cancel");
        const std::string image = temp / "F00012.IM2";   // 16-bit mono: 1,875 blocks a minute
        QVERIFY(synth::WriteIm2File(image, {.storedBits = 16, .blocks = 4000}));
        fs::create_directories(temp / "out");
        int cancelledAt = -1;
        const ConvertResult result = RunConversion(
            nullptr, image, ImageFormat::Im2, {temp / "out", 1, 0}, [&](CProgressDlg& progress) {
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
        QCOMPARE(FileNames(temp / "out").size(), std::size_t{4});   // .00 and .01, each .txt and .wav
        const std::string first = Slurp(temp / "out/F00012.00.txt");
        QVERIFY(first.find("Decryption Completed.\r\n") != std::string::npos &&
                first.find("IM2 / IX2 DECRYPTION SUMMARY") != std::string::npos);
        const std::string current = Slurp(temp / "out/F00012.01.txt");
        QVERIFY(current.ends_with("Creating File: F00012.01.wav\r\r\nDecryption Cancelled.\r\n") &&
                current.find("DECRYPTION SUMMARY") == std::string::npos);
        const std::string wav = Slurp(temp / "out/F00012.01.wav");
        QVERIFY(wav.size() > 44 && wav.size() < 44 + 960000);
        QCOMPARE(qFromLittleEndian<quint32>(wav.data() + 40), std::uint32_t(wav.size() - 44));   // sizes patched on close
        QCOMPARE(qFromLittleEndian<quint32>(wav.data() + 4), std::uint32_t(wav.size() - 8));
    }

    void NoToTheOverwriteQuestionWritesNothingAndYesReplacesTheWholeRun() {
        const TempFolder temp("overwrite");
        const std::string image = temp / "F00012.IM2";
        QVERIFY(synth::WriteIm2File(image, {.storedBits = 16, .blocks = 50}));
        fs::create_directories(temp / "out");
        const ConvertChoice choice{temp / "out", 0, 0};
        QCOMPARE(int(Convert(image, choice)), int(ConvertOutcome::Completed));
        std::ofstream(temp / "out/F00012.00.txt", std::ios::trunc) << "kept";
        std::ofstream(temp / "out/F00012.00.wav", std::ios::trunc) << "kept too";
        std::ofstream(temp / "out/F00012.01.wav") << "an earlier run's second segment";

        QString question;
        AnswerMessageBox(QMessageBox::No, &question);
        QCOMPARE(int(Convert(image, choice)), int(ConvertOutcome::Declined));
        QCOMPARE(question, QString::fromStdString("The file: " + (temp / "out") +
                                                  "/F00012.00.wav already exists. Overwrite and "
                                                  "recreate its (.Txt) file?"));
        QCOMPARE(Slurp(temp / "out/F00012.00.txt"), std::string("kept"));
        QCOMPARE(Slurp(temp / "out/F00012.00.wav"), std::string("kept too"));
        QCOMPARE(FileNames(temp / "out").size(), std::size_t{4});   // the first run's manifest too

        AnswerMessageBox(QMessageBox::Yes);
        QCOMPARE(int(Convert(image, choice)), int(ConvertOutcome::Completed));
        QCOMPARE(fs::file_size(temp / "out/F00012.00.wav"), std::uintmax_t{44 + 50 * 512});
        QCOMPARE(FileNames(temp / "out"), (std::vector<std::string>{"F00012.00.txt", "F00012.00.wav", "F00012.sha256"}));
    }
};

}  // namespace tvx

QTEST_MAIN(tvx::ConversionTest)
#include "conversion_test.moc"
