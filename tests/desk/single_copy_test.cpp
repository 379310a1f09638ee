// The first copy's side of the hand-over, spoken to as another start or any other client
// would. Two real starts of the program are in tests/app/two_copies_test.cpp.
#include "desk/single_copy.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

namespace tvx {

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
        const QTemporaryDir temp;
        SingleCopy copy(temp.filePath("copy"));
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
};

}  // namespace tvx

QTEST_MAIN(tvx::SingleCopyTest)
#include "single_copy_test.moc"
