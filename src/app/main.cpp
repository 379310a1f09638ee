// tessivox [IMAGE]: the desktop program; the window opens on IMAGE when one is given.
#include "app/image_player_readers.h"
#include "app/sable_player_dlg.h"
#include "audio/sdl_backend.h"
#include "controls/bitmaps.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tessivox");
    QApplication::setApplicationVersion(TVX_VERSION);
    QApplication::setWindowIcon(QPixmap::fromImage(tvx::LoadBitmapImage(128)));
    // The path as the shell gave it: a name that is not UTF-8 must still open.
    const QString path = argc > 1 ? QFile::decodeName(argv[1]) : QString();
    tvx::app::CSablePlayerDlg window(tvx::app::PlayersWith(tvx::MakeSdlBackend), path);
    window.show();
    window.exec();
    return 0;
}
