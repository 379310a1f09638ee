// One copy of the program per user: the first copy's side of the hand-over, spoken to as any
// client would, then two starts of the real tessivox program, where the second hands its image
// to the first and ends, and the first loads it. What the first loaded is read from its settings
// file, where only a successful load writes "Last File".
#include "desk/single_copy.h"
#include "synth/img_synth.h"
#include "synth/synth.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tvx;

namespace {

class TwoCopiesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;   // private, as a session's runtime folder is: the socket and settings

    void Start(QProcess& copy, const QStringList& args = {}) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", m_dir.path());
        env.insert("XDG_CONFIG_HOME", m_dir.path());
        copy.setProcessEnvironment(env);
        copy.start(TVX_PROGRAM, args);
    }

    // Up once a client can connect: the socket file alone may be a dead copy's.
    bool Answers() const {
        QLocalSocket probe;
        probe.connectToServer(m_dir.filePath("tessivox.copy"));
        return probe.waitForConnected(200);
    }

    // A later start, in the test's folder: its exit status (-1 when it did not end by itself)
    // and what it wrote to its error stream.
    QString StartAgain(const QStringList& args) const {
        QProcess second;
        second.setWorkingDirectory(m_dir.path());
        Start(second, args);
        const bool ended = second.waitForFinished(20000) && second.exitStatus() == QProcess::NormalExit;
        return QString::number(ended ? second.exitCode() : -1) + " " + second.readAllStandardError();
    }

    // The first copy's settings: only a successful load writes "Last File".
    QString LastFile() const {
        QFile file(m_dir.filePath("Tessivox/tessivox.ini"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).section('=', 1).trimmed() : "";
    }

private slots:
    void TheFirstCopyTakesCountedZeroTerminatedPathsRefusesTheRestAndHoldsTheLastWhileHeld() {
        // A path of 1,024 bytes or more is refused, never cut.
        QCOMPARE(*HandOverRecord("/a"), QByteArray("\x03\x00\x00\x00/a\x00", 7));
        QVERIFY(!HandOverRecord(std::string(1024, 'p')).has_value());
        SingleCopy copy(m_dir.filePath("copy"));
        QVERIFY(copy.Listen());
        QStringList seen;
        connect(&copy, &SingleCopy::ToFront, [&seen] { seen << "front"; });
        connect(&copy, &SingleCopy::PathReceived, [&seen](const QString& p) { seen << "path:" + p; });
        // Sends the bytes as a record; the one-byte answer ("" for none within 5 s).
        const auto send = [&copy](const QByteArray& bytes) {
            QLocalSocket client;
            client.connectToServer(copy.Name());
            client.write(bytes);
            for (int waited = 0; client.bytesAvailable() < 1 && waited < 5000; waited += 5)
                QTest::qWait(5);
            return client.read(1);
        };
        const QByteArray longest = '/' + QByteArray(1022, 'a');
        // A count past 1,024 is refused before anything is read, as is a record without its zero.
        const std::pair<QByteArray, QByteArray> sends[] = {
            {*HandOverRecord(longest.toStdString()), "1"},
            {QByteArray("\x01\x04\x00\x00/", 5) + QByteArray(1023, 'c') + '\0', "0"},
            {QByteArray("\xff\xff\xff\xff", 4), "0"},
            {QByteArray(4, '\0'), "0"},
            {QByteArray("\x04\x00\x00\x00/abc", 8), "0"},
            {*HandOverRecord(""), "1"},   // an empty start only brings the copy to the front
        };
        for (const auto& [bytes, answer] : sends)
            QCOMPARE(send(bytes), answer);
        QTRY_COMPARE(seen, (QStringList{"front", "path:" + longest, "front"}));
        seen.clear();
        copy.SetHeld(true);
        for (const char* path : {"/first.IM2", "/second.IMG"})
            QCOMPARE(send(*HandOverRecord(path)), QByteArray("1"));   // taken at once
        QTest::qWait(50);
        QVERIFY(seen.isEmpty());
        copy.SetHeld(false);
        QVERIFY(seen.isEmpty());   // never inside the release itself
        QTRY_COMPARE(seen, (QStringList{"front", "path:/second.IMG"}));
    }

    void ASecondStartHandsItsImageToTheFirst() {
        const QString im2 = m_dir.filePath("F00012.IM2");
        QVERIFY(synth::WriteIm2File(im2.toStdString(), {.storedBits = 16, .blocks = 200}));
        QVERIFY(synth::WriteImgFile(m_dir.filePath("F00013.IMG").toStdString(), {.records = 100}));
        QProcess first;   // in the folder the test runs in
        Start(first);
        QTRY_VERIFY_WITH_TIMEOUT(Answers(), 20000);
        QCOMPARE(LastFile(), QString());
        // A relative path names a file in the second start's folder.
        QCOMPARE(StartAgain({"F00013.IMG"}), "0 ");
        QTRY_COMPARE_WITH_TIMEOUT(LastFile(), m_dir.filePath("F00013.IMG"), 20000);
        // Too long to hand over: refused, said, and the first copy left as it was.
        const QString refused = StartAgain({'/' + QString(1100, 'a') + ".IM2"});
        QVERIFY2(refused.startsWith("1 ") && refused.contains("1,024"), qPrintable(refused));
        QCOMPARE(StartAgain({}), "0 ");   // without an image: only to the front
        QTest::qWait(300);
        QCOMPARE(LastFile(), m_dir.filePath("F00013.IMG"));
        QCOMPARE(first.state(), QProcess::Running);
        // A copy that died leaves its socket behind; the next start takes the name over.
        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(QFile::exists(m_dir.filePath("tessivox.copy")));
        QProcess next;
        Start(next);
        QTRY_VERIFY_WITH_TIMEOUT(Answers(), 20000);
        QCOMPARE(StartAgain({im2}), "0 ");
        QTRY_COMPARE_WITH_TIMEOUT(LastFile(), im2, 20000);
    }
};

}  // namespace

QTEST_MAIN(TwoCopiesTest)
#include "two_copies_test.moc"
