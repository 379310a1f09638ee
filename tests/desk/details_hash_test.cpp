// The Details dialog's file hash: sha256sum's digest, taken without holding the event loop.
#include "desk/details_dialog.h"
#include "desk_test_support.h"
#include "synth/synth.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <filesystem>

namespace tvx {

class DetailsHashTest : public QObject {
    Q_OBJECT
private slots:
    void TheDialogShowsTheImagesDigestOnceTaken() {
        const QTemporaryDir temp;
        const std::string image = temp.filePath("F00012.IM2").toStdString();
        QVERIFY(synth::WriteIm2File(image, {.storedBits = 16, .blocks = 3000}));
        char digest[65] = {};
        FILE* pipe = ::popen(("sha256sum < '" + image + "'").c_str(), "r");
        QVERIFY(pipe != nullptr);
        QCOMPARE(std::fread(digest, 1, 64, pipe), std::size_t{64});
        ::pclose(pipe);

        CDetails dialog;
        dialog.HashImage(image);
        auto* sha256 = dialog.findChild<QLineEdit*>("sha256");
        QCOMPARE(sha256->text(), QString("Computing..."));   // the loop goes on meanwhile
        QTRY_COMPARE_WITH_TIMEOUT(sha256->text(), QString(digest), 10000);
        QCOMPARE(dialog.findChild<QLineEdit*>("size")->text(), QString::number(std::filesystem::file_size(image)));
    }
};

}  // namespace tvx

QTEST_MAIN(tvx::DetailsHashTest)
#include "details_hash_test.moc"
