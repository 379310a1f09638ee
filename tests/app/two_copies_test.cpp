// Two starts of the real tessivox program for one user: the second hands its image to the
// first and ends, and the first loads it. What the first loaded is read from its settings file,
// where only a successful load writes "Last File".
#include "synth/img_synth.h"
#include "synth/synth.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Start {
    int status = -1;   // -1: did not end by itself
    QString err;
};

class TwoCopiesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_runtime;   // private, as the session's runtime folder is
    QString m_config;

    QProcessEnvironment Environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SDL_AUDIODRIVER", "dummy");
        env.insert("XDG_RUNTIME_DIR", m_runtime);
        env.insert("XDG_CONFIG_HOME", m_config);
        return env;
    }

    QString Socket() const { return m_runtime + "/tessivox.copy"; }

    QString Settings() const {
        QFile file(m_config + "/Tessivox/tessivox.ini");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    void StartFirst(QProcess& first) {
        first.setProcessEnvironment(Environment());
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(TVX_PROGRAM, {});
        QVERIFY(first.waitForStarted());
    }

    // Up once a client can connect: the socket file alone may be a dead copy's.
    static bool Answers(const QString& name) {
        QLocalSocket probe;
        probe.connectToServer(name);
        const bool up = probe.waitForConnected(200);
        probe.abort();
        return up;
    }

    Start StartAgain(const QStringList& args, const QString& folder = {}) const {
        QProcess second;
        second.setProcessEnvironment(Environment());
        if (!folder.isEmpty())
            second.setWorkingDirectory(folder);
        second.start(TVX_PROGRAM, args);
        if (!second.waitForFinished(20000)) {
            second.kill();
            second.waitForFinished();
            return {};
        }
        return {second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1,
                QString::fromLocal8Bit(second.readAllStandardError())};
    }

    static QString LastFile(const QString& path) { return "[SETTINGS]\nLast File=" + path + "\n"; }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_runtime = m_dir.filePath("runtime");
        m_config = m_dir.filePath("config");
        QVERIFY(QDir().mkpath(m_runtime));
        QVERIFY(QFile::setPermissions(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void ASecondStartHandsItsImageToTheFirst() {
        const QString im2 = m_dir.filePath("F00012.IM2");
        QVERIFY(tvx::synth::WriteIm2File(im2.toStdString(), {.storedBits = 16, .blocks = 200}));
        QVERIFY(tvx::synth::WriteImgFile(m_dir.filePath("F00013.IMG").toStdString(), {.records = 100}));

        QProcess first;
        StartFirst(first);
        QTRY_VERIFY_WITH_TIMEOUT(Answers(Socket()), 20000);
        QCOMPARE(Settings(), QString());

        QCOMPARE(StartAgain({im2}).status, 0);
        QTRY_COMPARE_WITH_TIMEOUT(Settings(), LastFile(im2), 20000);

        // A relative path names a file in the second start's folder.
        QCOMPARE(StartAgain({"F00013.IMG"}, m_dir.path()).status, 0);
        QTRY_COMPARE_WITH_TIMEOUT(Settings(), LastFile(m_dir.filePath("F00013.IMG")), 20000);

        // Too long to hand over: refused, said, and the first copy left as it was.
        const Start tooLong = StartAgain({'/' + QString(1100, 'a') + ".IM2"});
        QCOMPARE(tooLong.status, 1);
        QVERIFY2(tooLong.err.contains("1,024"), qPrintable(tooLong.err));
        QCOMPARE(StartAgain({}).status, 0);   // without an image: only to the front
        QTest::qWait(300);
        QCOMPARE(Settings(), LastFile(m_dir.filePath("F00013.IMG")));
        QCOMPARE(first.state(), QProcess::Running);

        // A copy that died leaves its socket behind; the next start takes the name over.
        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(QFile::exists(Socket()));
        QProcess next;
        StartFirst(next);
        QTRY_VERIFY_WITH_TIMEOUT(Answers(Socket()), 20000);
        QCOMPARE(StartAgain({im2}).status, 0);
        QTRY_COMPARE_WITH_TIMEOUT(Settings(), LastFile(im2), 20000);
        QCOMPARE(next.state(), QProcess::Running);
        next.kill();
        next.waitForFinished(10000);
    }
};

}  // namespace

QTEST_MAIN(TwoCopiesTest)
#include "two_copies_test.moc"
