// The first copy's side of the hand-over, spoken to as another start or any other client
// would. Two real starts of the program are in tests/app/two_copies_test.cpp.
#include "desk_test_support.h"

#include "desk/single_copy.h"

#include <QLocalSocket>
#include <QTest>
#include <QtEndian>

namespace tvx {

namespace {

QByteArray Le32(quint32 n) {
    n = qToLittleEndian(n);
    return QByteArray(reinterpret_cast<const char*>(&n), 4);
}

// Sends the bytes as a record and returns the one-byte answer ("" for none).
QByteArray Send(const QString& name, const QByteArray& bytes) {
    QLocalSocket client;
    client.connectToServer(name);
    client.write(bytes);
    QElapsedTimer since;
    since.start();
    while (client.bytesAvailable() < 1 && since.elapsed() < 5000)
        QTest::qWait(5);
    return client.read(1);
}

}  // namespace

class SingleCopyTest : public QObject {
    Q_OBJECT
private slots:
    void RecordsAreCountedZeroTerminatedPathsOfUnder1024Bytes() {
        QCOMPARE(*HandOverRecord("/a"), QByteArray("\x03\x00\x00\x00/a\x00", 7));
        QCOMPARE(*HandOverRecord(""), QByteArray("\x01\x00\x00\x00\x00", 5));
        QCOMPARE(HandOverRecord(std::string(1023, 'p'))->size(), 4 + 1024);
        QVERIFY(!HandOverRecord(std::string(1024, 'p')).has_value());
    }

    void TheFirstCopyTakesGoodRecordsRefusesTheRestAndHoldsTheLastWhileHeld() {
        const desktest::TempFolder temp("copy");
        SingleCopy copy(QString::fromStdString(temp / "copy"));
        QVERIFY(copy.Listen());
        QStringList seen;
        connect(&copy, &SingleCopy::ToFront, [&seen] { seen << "front"; });
        connect(&copy, &SingleCopy::PathReceived, [&seen](const QString& p) { seen << "path:" + p; });
        const QByteArray longest = '/' + QByteArray(1022, 'a');
        // A count past 1,024 is refused before anything is read, as is a record without its zero.
        const std::pair<QByteArray, QByteArray> sends[] = {
            {*HandOverRecord(longest.toStdString()), "1"},
            {Le32(1025) + '/' + QByteArray(1023, 'c') + '\0', "0"},
            {Le32(0xFFFFFFFF), "0"},
            {Le32(0), "0"},
            {Le32(4) + "/abc", "0"},
            {*HandOverRecord(""), "1"},   // an empty start only brings the copy to the front
        };
        for (const auto& [bytes, answer] : sends)
            QCOMPARE(Send(copy.Name(), bytes), answer);
        QTRY_COMPARE(seen, (QStringList{"front", "path:" + longest, "front"}));

        seen.clear();
        copy.SetHeld(true);
        for (const char* path : {"/first.IM2", "/second.IMG"})
            QCOMPARE(Send(copy.Name(), *HandOverRecord(path)), QByteArray("1"));   // taken at once
        QTest::qWait(50);
        QVERIFY(seen.isEmpty());
        copy.SetHeld(false);
        QVERIFY(seen.isEmpty());   // never inside the release itself
        QTRY_COMPARE(seen, (QStringList{"front", "path:/second.IMG"}));
    }
};

}  // namespace tvx

QTEST_MAIN(tvx::SingleCopyTest)
#include "single_copy_test.moc"
