#include "report/report_sections.h"

#include "report/report_pictures.h"

#include <array>

namespace tvx::report {

namespace {

constexpr int kBody = 17;
constexpr int kRow = 24;
constexpr int kLabelWidth = 230;
constexpr int kHeadingHeight = 46;
constexpr int kLastPage = 2;

QString Q(const std::string& text) { return QString::fromStdString(text); }

void DrawHeading(PageFlow& flow, const QString& heading) {
    QPainter& p = flow.Painter();
    p.setFont(ReportFont(20, true));
    const QRect at(flow.Left(), flow.Top() + 8, PageFlow::kContentWidth, 28);
    p.drawText(at, Qt::AlignLeft | Qt::AlignBottom, heading);
    p.drawLine(at.left(), at.bottom() + 3, at.right(), at.bottom() + 3);
    flow.Advance(kHeadingHeight);
}

struct Column {
    const char* head;
    int width;
};
constexpr std::array<Column, 6> kRunColumns{{{"First", 85},
                                             {"Last", 85},
                                             {"Status", 120},
                                             {"Position", 135},
                                             {"Clock Time", 250},
                                             {"Causes", 325}}};

void DrawRunRow(PageFlow& flow, const std::array<QString, 6>& cells, bool head) {
    QPainter& p = flow.Painter();
    p.setFont(ReportFont(15, head));
    int x = flow.Left();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        p.drawText(QRect(x, flow.Top(), kRunColumns[i].width - 6, kRow),
                   Qt::AlignLeft | Qt::AlignVCenter, cells[i]);
        x += kRunColumns[i].width;
    }
    flow.Advance(kRow);
}

std::array<QString, 6> RunCells(const IrregularRun& run, const AuthReport& r) {
    const RunTexts texts = RunTextsOf(run, r);
    return {QString::number(run.first), QString::number(run.last), Q(texts.status),
            Q(texts.position), texts.clockTime ? Q(*texts.clockTime) : QString("-"),
            Q(texts.causes)};
}

void DrawNote(PageFlow& flow, const QString& text) {
    flow.Painter().setFont(ReportFont(15));
    flow.Painter().drawText(QRect(flow.Left(), flow.Top(), PageFlow::kContentWidth, kRow * 2),
                            Qt::AlignLeft | Qt::TextWordWrap, text);
    flow.Advance(kRow * 2);
}

}  // namespace

void DrawTitle(PageFlow& flow, const ReportData& data) {
    QPainter& p = flow.Painter();
    p.setFont(ReportFont(30, true));
    p.drawText(QRect(flow.Left(), flow.Top(), PageFlow::kContentWidth, 40),
               Qt::AlignLeft | Qt::AlignVCenter, "Examination Report");
    flow.Advance(46);
    p.setFont(ReportFont(kBody));
    p.drawText(QRect(flow.Left(), flow.Top(), PageFlow::kContentWidth, kRow),
               Qt::AlignLeft | Qt::AlignVCenter,
               QString("Examined with %1 %2 on %3")
                   .arg(Q(data.tool), Q(data.version), Q(data.examinedAt)));
    flow.Advance(kRow);
}

void DrawVerdict(PageFlow& flow, const ReportData& data) {
    QPainter& p = flow.Painter();
    const bool authentic = IsAllAuthentic(data.report);
    const QRect box(flow.Left(), flow.Top() + 10, PageFlow::kContentWidth, 64);
    p.setPen(QPen(authentic ? QColor(0, 130, 0) : QColor(200, 0, 0), 3));
    p.drawRect(box);
    p.setPen(Qt::black);
    p.setFont(ReportFont(18, true));
    p.drawText(box.adjusted(12, 4, -12, -4), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
               Q(VerdictSentence(data.report)));
    flow.Advance(box.height() + 14);
}

bool DrawFields(PageFlow& flow, const QString& heading, const std::vector<ReportField>& fields) {
    if (!flow.Reserve(kHeadingHeight + kRow * static_cast<int>(fields.size())))
        return false;
    DrawHeading(flow, heading);
    QPainter& p = flow.Painter();
    for (const ReportField& field : fields) {
        const QRect row(flow.Left(), flow.Top(), PageFlow::kContentWidth, kRow);
        p.setFont(ReportFont(kBody, true));
        p.drawText(row.adjusted(0, 0, kLabelWidth - row.width(), 0), Qt::AlignLeft | Qt::AlignVCenter,
                   Q(field.label));
        p.setFont(ReportFont(kBody));
        p.drawText(row.adjusted(kLabelWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   Q(field.value));
        flow.Advance(kRow);
    }
    return true;
}

bool DrawOverview(PageFlow& flow, const ReportData& data) {
    const PictureLayout probe = LayoutPictures({0, 0}, PageFlow::kContentWidth);
    if (!flow.Reserve(kHeadingHeight + probe.bottom + kRow))
        return false;
    DrawHeading(flow, "Waveform, Authentication Strip and Timeline");
    const PictureLayout layout =
        LayoutPictures({flow.Left(), flow.Top() + 4}, PageFlow::kContentWidth);
    PaintPictures(flow.Painter(), layout, data);
    flow.Advance(layout.bottom - flow.Top() + 4);
    DrawNote(flow, "Strip: green authentic, red irregular (a column is red when any block in it "
                   "is), grey not examined.");
    return true;
}

bool DrawRuns(PageFlow& flow, const ReportData& data) {
    const std::vector<IrregularRun>& runs = data.report.irregular.Runs();
    if (!flow.Reserve(kHeadingHeight + kRow * 3))
        return false;
    DrawHeading(flow, QString("Irregular Blocks: %1 in %2 run%3")
                          .arg(data.report.irregular.Records())
                          .arg(runs.size())
                          .arg(runs.size() == 1 ? "" : "s"));
    if (runs.empty())
        return true;
    std::array<QString, 6> heads;
    for (std::size_t i = 0; i < heads.size(); ++i)
        heads[i] = kRunColumns[i].head;
    DrawRunRow(flow, heads, true);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const bool lastRoom = flow.Room() < kRow * 3;
        if (lastRoom && flow.Page() >= kLastPage) {
            DrawNote(flow, QString("... and %1 more runs, all listed by tessivox-cli verify --json.")
                               .arg(runs.size() - i));
            return true;
        }
        if (lastRoom) {
            if (!flow.NewPage())
                return false;
            DrawHeading(flow, "Irregular Blocks (continued)");
            DrawRunRow(flow, heads, true);
        }
        DrawRunRow(flow, RunCells(runs[i], data.report), false);
    }
    return true;
}

}  // namespace tvx::report
