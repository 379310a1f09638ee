// One start of the program as far as the hand-over goes, for the two-process tests:
//   tvx-copy-peer NAME [PATH]
// Hands PATH to a copy listening on NAME and exits with the start-up's status, or becomes the
// first copy: prints "listening", then "front" and "path:<path>" for each record it takes.
#include "desk/single_copy.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: tvx-copy-peer NAME [PATH]\n");
        return 2;
    }
    tvx::SingleCopy copy(QFile::decodeName(argv[1]));
    if (const std::optional<int> status = tvx::HandOverOrListen(copy, argc == 3 ? argv[2] : ""))
        return *status;
    if (!copy.IsListening())
        return 4;
    QObject::connect(&copy, &tvx::SingleCopy::ToFront, [] {
        std::printf("front\n");
        std::fflush(stdout);
    });
    QObject::connect(&copy, &tvx::SingleCopy::PathReceived, [](const QString& path) {
        std::printf("path:%s\n", QFile::encodeName(path).constData());
        std::fflush(stdout);
    });
    std::printf("listening\n");
    std::fflush(stdout);
    return app.exec();
}
