#include "app/result_texts.h"

#include <QTest>

#include <cerrno>

using namespace tvx;
using namespace tvx::app;

class ResultTextsTest : public QObject {
    Q_OBJECT
private slots:
    void TickFormatsEveryField() {
        const AuthDurations d{3723004, 1000, 59999, 360000000};
        const TallyCounts c{1, 22, 333, 4444, 5, 6};
        const ResultTexts t = TickTexts(d, c);
        QCOMPARE(t.duration, std::string("01:02:03.004"));
        QCOMPARE(t.verified, std::string("00:00:01.000"));
        QCOMPARE(t.irregularities, std::string("00:00:59.999"));
        QCOMPARE(t.unauthenticated, std::string("100:00:00.000"));   // hours run past 24
        QCOMPARE(t.unitIdCount, std::string("1"));
        QCOMPARE(t.fileNumberCount, std::string("22"));
        QCOMPARE(t.sequenceCount, std::string("333"));
        QCOMPARE(t.checksumCount, std::string("4444"));
    }

    void LoadShowsTheLengthTwiceAndNothingJudged() {
        for (ImageFormat f : {ImageFormat::Im2, ImageFormat::Ix2, ImageFormat::Img}) {
            const ResultTexts t = LoadTexts(f, 3723004);
            QCOMPARE(t.duration, std::string("01:02:03.004"));
            QCOMPARE(t.unauthenticated, std::string("01:02:03.004"));
            QCOMPARE(t.verified, std::string("00:00:00.000"));
            QCOMPARE(t.irregularities, std::string("00:00:00.000"));
            QCOMPARE(t.checksumCount, std::string("0"));
        }
    }

    void OnlyIx2KeepsALengthPast32Bits() {
        const std::int64_t ms = (std::int64_t{1} << 32) + 3723004;   // wraps to 01:02:03.004
        QCOMPARE(LoadTexts(ImageFormat::Ix2, ms).duration, std::string("1194:04:50.300"));
        QCOMPARE(LoadTexts(ImageFormat::Im2, ms).duration, std::string("01:02:03.004"));
    }

    void StatusLineGivesOneBlockInSeconds() {
        QCOMPARE(StatusLineText(64), std::string("AUTHENTICATING (0.064 SECONDS)"));
        QCOMPARE(StatusLineText(1500), std::string("AUTHENTICATING (1.500 SECONDS)"));
    }

    void ElapsedTimeShowsHoursOfTheDay() {
        QCOMPARE(ElapsedText(3723999), std::string("Elapsed Time: 01:02:03"));
        QCOMPARE(ElapsedText((25 * 3600 + 62) * 1000LL), std::string("Elapsed Time: 01:01:02"));
        QCOMPARE(ElapsedText(0), std::string("Elapsed Time: 00:00:00"));
    }

    void IdentityOfEachKind() {
        const IdentityTexts plain = PlainIdentity("QM-12345", 16553);
        QCOMPARE(plain.unitId, std::string("QM-12345"));
        QCOMPARE(plain.fileNumber, std::string("16553"));
        const IdentityTexts chain = ChainIdentity("QM-1", 12, "QM-2", 3);
        QCOMPARE(chain.unitId, std::string("QM-1 (Slave QM-2)"));
        QCOMPARE(chain.fileNumber, std::string("12 (Slave 3)"));
        const IdentityTexts img = ImgIdentity(0x1A2B, 7);
        QCOMPARE(img.unitId, std::string("QL-1A2B"));
        QCOMPARE(img.fileNumber, std::string("7"));
        QCOMPARE(ImgIdentity(0xB, 7).unitId, std::string("QL-000B"));
    }

    void OnlyAConversionThatFailedIsReported() {
        const Error full{Cause::DiskFull, ENOSPC, "/out/F00012.01.wav", 0, {}};
        const Error none;
        struct Case {
            ConvertOutcome outcome;
            Error error;
            const char* told;
        };
        const Case cases[] = {
            {ConvertOutcome::Completed, none, ""},
            {ConvertOutcome::Cancelled, none, ""},   // the user's Cancel
            {ConvertOutcome::Declined, none, ""},
            {ConvertOutcome::Cancelled, full,
             "Error - The conversion could not finish:\n\n/out/F00012.01.wav\n\n"
             "Cause: No space left on device"},
            {ConvertOutcome::Completed, Error{Cause::Io, EIO, "/card/F00012.IM2", 0, {}},
             "Error - The conversion could not finish:\n\n/card/F00012.IM2\n\n"
             "Cause: Input/output error"},
            {ConvertOutcome::NotStarted, Error{Cause::Access, EACCES, "/out/F00012.00.wav", 0, {}},
             "Failed to open: /out/F00012.00.wav\n\nCause: Permission denied"},
        };
        for (const Case& c : cases) {
            ConvertResult result;
            result.outcome = c.outcome;
            result.error = c.error;
            QCOMPARE(ConvertFailureText(result), std::string(c.told));
        }
    }
};

QTEST_APPLESS_MAIN(ResultTextsTest)
#include "result_texts_test.moc"
