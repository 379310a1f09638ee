#include "desk_test_support.h"

#include "desk/single_copy.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>

namespace tvx {

using desktest::TempFolder;

namespace {

// A copy of the program that stays up: the first start.
class FirstCopy {
public:
    explicit FirstCopy(const QString& name) {
        m_process.start(QStringLiteral(TVX_COPY_PEER), {name});
    }
    ~FirstCopy() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // Waits until the copy has printed `count` lines in all; they are its lines so far.
    QStringList Lines(int count, int deadlineMs = 10000) {
        QElapsedTimer since;
        since.start();
        while (m_lines.size() < count && since.elapsed() < deadlineMs) {
            m_process.waitForReadyRead(100);
            while (m_process.canReadLine())
                m_lines << QString::fromLocal8Bit(m_process.readLine()).trimmed();
        }
        return m_lines;
    }
    void Crash() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
    QStringList m_lines;
};

struct Start {
    int status = -1;
    QString err;
};

// A later start of the program with these arguments, run to its end.
Start StartAgain(const QStringList& args, const QString& folder = {}) {
    QProcess second;
    if (!folder.isEmpty())
        second.setWorkingDirectory(folder);
    second.start(QStringLiteral(TVX_COPY_PEER), args);
    if (!second.waitForFinished(15000)) {
        second.kill();
        second.waitForFinished();
        return {};
    }
    return {second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1,
            QString::fromLocal8Bit(second.readAllStandardError())};
}

// Sends raw bytes as a record would come and returns the one-byte answer ("" for none).
QByteArray SendRaw(const QString& name, const QByteArray& bytes) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(2000))
        return "no server";
    socket.write(bytes);
    socket.waitForBytesWritten(2000);
    while (socket.bytesAvailable() < 1 && socket.waitForReadyRead(5000)) {
    }
    return socket.read(1);
}

QByteArray Le32(std::uint32_t n) {
    QByteArray b;
    for (int shift = 0; shift < 32; shift += 8)
        b += static_cast<char>((n >> shift) & 0xFF);
    return b;
}

}  // namespace

class SingleCopyTest : public QObject {
    Q_OBJECT
private slots:
    void ASecondStartHandsItsPathOverAndEnds();
    void AnEmptyStartOnlyBringsTheFirstToFront();
    void PathsOf1024BytesOrMoreAreRefusedNeverCut();
    void AStaleSocketDoesNotStopTheNextStart();
    void RecordsAreCountedZeroTerminatedPaths();
    void AHeldCopyKeepsTheLastPathUntilReleased();
};

void SingleCopyTest::ASecondStartHandsItsPathOverAndEnds() {
    const TempFolder temp("handover");
    const QString name = QString::fromStdString(temp / "copy");
    FirstCopy first(name);
    QCOMPARE(first.Lines(1), QStringList{"listening"});
    const Start second = StartAgain({name, QStringLiteral("/media/card/F00012.IM2")});
    QCOMPARE(second.status, 0);
    // A relative path means the second start's folder, not the first copy's.
    const Start relative =
        StartAgain({name, QStringLiteral("rec/F00013.IX2")}, QString::fromStdString(temp.Path().string()));
    QCOMPARE(relative.status, 0);
    QCOMPARE(first.Lines(5), (QStringList{"listening", "front", "path:/media/card/F00012.IM2", "front",
                                          "path:" + QString::fromStdString(temp / "rec/F00013.IX2")}));
}

void SingleCopyTest::AnEmptyStartOnlyBringsTheFirstToFront() {
    const TempFolder temp("empty");
    const QString name = QString::fromStdString(temp / "copy");
    FirstCopy first(name);
    QCOMPARE(first.Lines(1), QStringList{"listening"});
    QCOMPARE(StartAgain({name}).status, 0);
    QCOMPARE(StartAgain({name, QStringLiteral("/after")}).status, 0);
    QCOMPARE(first.Lines(4), (QStringList{"listening", "front", "front", "path:/after"}));
}

void SingleCopyTest::PathsOf1024BytesOrMoreAreRefusedNeverCut() {
    const TempFolder temp("long");
    const QString name = QString::fromStdString(temp / "copy");
    FirstCopy first(name);
    QCOMPARE(first.Lines(1), QStringList{"listening"});
    const QString longest = '/' + QString(1022, 'a');   // 1,023 bytes and the zero: fits
    QCOMPARE(StartAgain({name, longest}).status, 0);
    const Start tooLong = StartAgain({name, longest + 'b'});
    QCOMPARE(tooLong.status, 1);
    QVERIFY2(tooLong.err.contains(QStringLiteral("1,024")), qPrintable(tooLong.err));

    // Whatever another client sends: a count past 1,024 is refused before anything is read.
    QCOMPARE(SendRaw(name, Le32(1025) + '/' + QByteArray(1023, 'c') + '\0'), QByteArray("0"));
    QCOMPARE(SendRaw(name, Le32(0xFFFFFFFF)), QByteArray("0"));
    QCOMPARE(SendRaw(name, Le32(0)), QByteArray("0"));
    QCOMPARE(SendRaw(name, Le32(4) + "/abc"), QByteArray("0"));   // no terminating zero
    QCOMPARE(StartAgain({name, QStringLiteral("/done")}).status, 0);
    QCOMPARE(first.Lines(5), (QStringList{"listening", "front", "path:" + longest, "front", "path:/done"}));
}

void SingleCopyTest::AStaleSocketDoesNotStopTheNextStart() {
    const TempFolder temp("stale");
    const QString name = QString::fromStdString(temp / "copy");
    {
        FirstCopy crashed(name);
        QCOMPARE(crashed.Lines(1), QStringList{"listening"});
        crashed.Crash();
    }
    QVERIFY(QFileInfo::exists(name));   // left behind, as a crash leaves it
    FirstCopy next(name);
    QCOMPARE(next.Lines(1), QStringList{"listening"});
    QCOMPARE(StartAgain({name, QStringLiteral("/x.IMG")}).status, 0);
    QCOMPARE(next.Lines(3), (QStringList{"listening", "front", "path:/x.IMG"}));
}

void SingleCopyTest::RecordsAreCountedZeroTerminatedPaths() {
    QCOMPARE(*HandOverRecord("/a"), QByteArray("\x03\x00\x00\x00/a\x00", 7));
    QCOMPARE(*HandOverRecord(""), QByteArray("\x01\x00\x00\x00\x00", 5));
    QCOMPARE(HandOverRecord(std::string(1023, 'p'))->size(), 4 + 1024);
    QVERIFY(!HandOverRecord(std::string(1024, 'p')).has_value());
}

void SingleCopyTest::AHeldCopyKeepsTheLastPathUntilReleased() {
    const TempFolder temp("held");
    SingleCopy copy(QString::fromStdString(temp / "copy"));
    QVERIFY(copy.Listen());
    QStringList seen;
    connect(&copy, &SingleCopy::ToFront, [&seen] { seen << "front"; });
    connect(&copy, &SingleCopy::PathReceived, [&seen](const QString& p) { seen << "path:" + p; });
    copy.SetHeld(true);
    for (const char* path : {"/first.IM2", "/second.IMG"}) {
        QLocalSocket client;
        client.connectToServer(copy.Name());
        QVERIFY(client.waitForConnected(2000));
        client.write(*HandOverRecord(path));
        QTRY_VERIFY(client.bytesAvailable() > 0);
        QCOMPARE(client.read(1), QByteArray("1"));   // taken at once, even while held
    }
    QTest::qWait(50);
    QVERIFY(seen.isEmpty());
    copy.SetHeld(false);
    QVERIFY(seen.isEmpty());   // never inside the release itself
    QTRY_COMPARE(seen, (QStringList{"front", "path:/second.IMG"}));
}

}  // namespace tvx

QTEST_MAIN(tvx::SingleCopyTest)
#include "single_copy_test.moc"
