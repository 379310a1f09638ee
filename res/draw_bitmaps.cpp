// Draws the program's bitmaps, one PNG per resource id, so that the pictures live as code:
//   tvx_draw_bitmaps <folder>                 writes <folder>/<id>.png for every id
//   tvx_draw_bitmaps --sheet <file.png>       a contact sheet of all of them, enlarged
// Transport pictures share one glyph per button in three looks: normal, lit (pressed or
// latched) and disabled (etched grey, as the system draws a disabled picture).

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr QSize kTransportSize{36, 24};
constexpr QSize kIconSize{20, 20};
constexpr QSize kSpeakerSize{20, 20};
constexpr QSize kAppIconSize{64, 64};

enum class Look { Normal, Lit, Disabled };

using GlyphFn = std::function<QPainterPath()>;

QImage Blank(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QPainterPath Triangle(QPointF a, QPointF b, QPointF c) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

// The glyphs sit on a 36 x 24 face, centred a little above the middle like printed symbols.
QPainterPath BackTrackGlyph() {
    QPainterPath path;
    path.addRect(QRectF(9, 6, 3, 12));
    path.addPath(Triangle({12.5, 12}, {20, 6}, {20, 18}));
    path.addPath(Triangle({19.5, 12}, {27, 6}, {27, 18}));
    return path;
}

QPainterPath PlayGlyph() { return Triangle({13, 5}, {25, 12}, {13, 19}); }

QPainterPath PauseGlyph() {
    QPainterPath path;
    path.addRect(QRectF(12, 6, 4, 12));
    path.addRect(QRectF(20, 6, 4, 12));
    return path;
}

QPainterPath StopGlyph() {
    QPainterPath path;
    path.addRect(QRectF(12, 6, 12, 12));
    return path;
}

QImage DrawTransport(const GlyphFn& glyph, Look look, QColor lit = QColor(0, 150, 0)) {
    QImage image = Blank(kTransportSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = glyph();
    p.setPen(Qt::NoPen);
    switch (look) {
    case Look::Normal: {
        QLinearGradient fill(0, 5, 0, 19);
        fill.setColorAt(0, QColor(70, 70, 70));
        fill.setColorAt(1, QColor(10, 10, 10));
        p.setBrush(fill);
        p.drawPath(path);
        break;
    }
    case Look::Lit: {
        // A soft glow behind the glyph marks the button that is on.
        p.setPen(QPen(QColor(lit.red(), lit.green(), lit.blue(), 70), 3.0));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        QLinearGradient fill(0, 5, 0, 19);
        fill.setColorAt(0, lit.lighter(150));
        fill.setColorAt(1, lit.darker(130));
        p.setBrush(fill);
        p.drawPath(path);
        break;
    }
    case Look::Disabled:
        // Etched: a white copy one pixel down and right, the grey glyph over it.
        p.setBrush(Qt::white);
        p.drawPath(path.translated(1, 1));
        p.setBrush(QColor(128, 128, 128));
        p.drawPath(path);
        break;
    }
    return image;
}

QImage DrawVerdict(QColor ground, const std::function<void(QPainter&)>& mark) {
    QImage image = Blank(kIconSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient fill(QPointF(7, 6), 14);
    fill.setColorAt(0, ground.lighter(140));
    fill.setColorAt(1, ground.darker(115));
    p.setPen(QPen(ground.darker(160), 1.0));
    p.setBrush(fill);
    p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
    mark(p);
    return image;
}

QImage DrawSound() {
    return DrawVerdict(QColor(0, 170, 0), [](QPainter& p) {
        QPainterPath tick;
        tick.moveTo(5.5, 10.5);
        tick.lineTo(8.5, 13.5);
        tick.lineTo(14.5, 6.5);
        p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    });
}

QImage DrawFaulty() {
    return DrawVerdict(QColor(215, 0, 0), [](QPainter& p) {
        p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6.5, 6.5), QPointF(13.5, 13.5));
        p.drawLine(QPointF(13.5, 6.5), QPointF(6.5, 13.5));
    });
}

QImage DrawNotJudged() {
    return DrawVerdict(QColor(140, 140, 140), [](QPainter& p) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPixelSize(14);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(1.5, 1.5, 17, 17), Qt::AlignCenter, QStringLiteral("?"));
    });
}

// A loudspeaker facing right, with `waves` sound arcs in front of it.
QImage DrawSpeaker(int waves) {
    QImage image = Blank(kSpeakerSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.moveTo(2, 7);
    body.lineTo(6, 7);
    body.lineTo(11, 2.5);
    body.lineTo(11, 17.5);
    body.lineTo(6, 13);
    body.lineTo(2, 13);
    body.closeSubpath();
    p.setPen(QPen(QColor(20, 20, 20), 1.0));
    p.setBrush(QColor(60, 60, 60));
    p.drawPath(body);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(20, 20, 20), 1.3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < waves; ++i) {
        const double r = 3.5 + 2.6 * i;
        p.drawArc(QRectF(10.5 - r, 10 - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    }
    return image;
}

// The program's icon: the overview waveform over the authentication strip, with the cursor.
QImage DrawAppIcon() {
    QImage image = Blank(kAppIconSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, 0, 64);
    ground.setColorAt(0, QColor(40, 48, 60));
    ground.setColorAt(1, QColor(8, 10, 14));
    p.setPen(QPen(QColor(120, 130, 145), 1.5));
    p.setBrush(ground);
    p.drawRoundedRect(QRectF(1.5, 1.5, 61, 61), 11, 11);

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(96, 96, 96));
    p.drawLine(8, 28, 55, 28);
    // A made-up but lively envelope: a spoken phrase, loud in the middle.
    static const int kPeaks[] = {3,  5,  9,  14, 11, 7,  12, 18, 22, 17, 20, 24,
                                 19, 13, 9,  15, 21, 18, 12, 8,  10, 14, 11, 6};
    p.setPen(QColor(0, 200, 0));
    for (int i = 0; i < 24; ++i) {
        const int x = 9 + 2 * i;
        const int h = kPeaks[i];
        p.drawLine(x, 28 - h / 2, x, 28 + h / 2);
    }
    p.setPen(QColor(255, 40, 40));
    p.drawLine(37, 12, 37, 44);

    // The strip: authentic cells, one irregular, the tail not yet judged.
    const QColor cells[] = {QColor(0, 196, 0),   QColor(0, 196, 0), QColor(0, 196, 0),
                            QColor(255, 0, 0),   QColor(0, 196, 0), QColor(196, 196, 0),
                            QColor(64, 64, 64), QColor(64, 64, 64)};
    p.fillRect(QRect(7, 48, 50, 9), Qt::black);
    for (int i = 0; i < 8; ++i)
        p.fillRect(QRect(8 + 6 * i, 50, 6, 5), cells[i]);
    return image;
}

struct Bitmap {
    int id;
    const char* what;
    std::function<QImage()> draw;
};

std::vector<Bitmap> AllBitmaps() {
    const QColor amber(215, 140, 0);
    return {
        {128, "icon", DrawAppIcon},
        {136, "backtrack", [] { return DrawTransport(BackTrackGlyph, Look::Normal); }},
        {137, "backtrack off", [] { return DrawTransport(BackTrackGlyph, Look::Disabled); }},
        {140, "pause", [] { return DrawTransport(PauseGlyph, Look::Normal); }},
        {141, "pause off", [] { return DrawTransport(PauseGlyph, Look::Disabled); }},
        {142, "play lit", [] { return DrawTransport(PlayGlyph, Look::Lit); }},
        {143, "play", [] { return DrawTransport(PlayGlyph, Look::Normal); }},
        {144, "play off", [] { return DrawTransport(PlayGlyph, Look::Disabled); }},
        {145, "stop", [] { return DrawTransport(StopGlyph, Look::Normal); }},
        {146, "stop off", [] { return DrawTransport(StopGlyph, Look::Disabled); }},
        {148, "pause lit", [=] { return DrawTransport(PauseGlyph, Look::Lit, amber); }},
        {160, "loud", [] { return DrawSpeaker(3); }},
        {161, "quiet", [] { return DrawSpeaker(0); }},
        {165, "sound", DrawSound},
        {166, "faulty", DrawFaulty},
        {167, "not judged", DrawNotJudged},
    };
}

int WriteAll(const QString& folder) {
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "tvx_draw_bitmaps: cannot make %s\n", qPrintable(folder));
        return 1;
    }
    for (const Bitmap& b : AllBitmaps()) {
        const QString path = QStringLiteral("%1/%2.png").arg(folder).arg(b.id);
        if (!b.draw().save(path, "PNG")) {
            std::fprintf(stderr, "tvx_draw_bitmaps: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

// Each picture at natural size and four times enlarged, on the dialog's face colour.
int WriteSheet(const QString& path) {
    const std::vector<Bitmap> all = AllBitmaps();
    constexpr int kScale = 4;
    constexpr int kCell = 64 * kScale / 2 + 24;
    const int columns = 4;
    const int rows = static_cast<int>((all.size() + columns - 1) / columns);
    QImage sheet(columns * (kCell + 90), rows * (kCell + 30), QImage::Format_RGB32);
    sheet.fill(QColor(240, 240, 240));
    QPainter p(&sheet);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    p.setFont(font);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const QImage image = all[i].draw();
        const int x = static_cast<int>(i % columns) * (kCell + 90) + 8;
        const int y = static_cast<int>(i / columns) * (kCell + 30) + 8;
        p.setPen(Qt::black);
        p.drawText(x, y + 10, QStringLiteral("%1 %2").arg(all[i].id).arg(all[i].what));
        p.drawImage(x, y + 18, image);
        const QSize big = image.size() * (image.width() > 40 ? 2 : kScale);
        p.drawImage(QRect(QPoint(x + image.width() + 8, y + 18), big), image);
        p.setPen(QColor(200, 200, 200));
        p.drawRect(QRect(QPoint(x + image.width() + 7, y + 17), big + QSize(1, 1)));
    }
    return sheet.save(path, "PNG") ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);   // fonts for the one picture that holds a letter
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QStringLiteral("--sheet"))
        return WriteSheet(args[2]);
    if (args.size() == 2)
        return WriteAll(args[1]);
    std::fprintf(stderr, "usage: tvx_draw_bitmaps <folder> | --sheet <file.png>\n");
    return 2;
}
