// tessivox [IMAGE]: the desktop program; the window opens on IMAGE when one is given. One copy
// runs per user: a later start hands its IMAGE to that copy and ends.
#include "app/sable_player_dlg.h"
#include "audio/sdl_backend.h"
#include "controls/bitmaps.h"
#include "core/string_table.h"
#include "desk/single_copy.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

int main(int argc, char** argv) {
    // Answered before any display is needed, as tessivox-cli answers it: the package's version.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", tvx::LoadString(102));
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tessivox");
    QApplication::setApplicationVersion(tvx::LoadString(102));
    QApplication::setWindowIcon(QPixmap::fromImage(tvx::LoadBitmapImage(128)));
    // The path as the shell gave it: a name that is not UTF-8 must still open.
    const std::string path = argc > 1 ? argv[1] : "";

    tvx::SingleCopy copy;
    if (const std::optional<int> status = tvx::HandOverOrListen(copy, path))
        return *status;

    using tvx::app::CSablePlayerDlg;
    CSablePlayerDlg window(tvx::app::PlayersWith(tvx::MakeSdlBackend),
                           QFile::decodeName(QByteArray::fromStdString(path)));
    QObject::connect(&copy, &tvx::SingleCopy::ToFront, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    QObject::connect(&copy, &tvx::SingleCopy::PathReceived, &window, &CSablePlayerDlg::OnCopyData);
    QObject::connect(&window, &CSablePlayerDlg::Busy, &copy, &tvx::SingleCopy::SetHeld);
    window.show();
    window.exec();
    return 0;
}
