#include "report/report_pdf.h"

#include "report/page_flow.h"
#include "report/report_sections.h"

#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>

namespace tvx::report {

namespace {

bool DrawReport(PageFlow& flow, const ReportData& data) {
    DrawTitle(flow, data);
    DrawVerdict(flow, data);
    return DrawFields(flow, "Image File", data.FileFields()) &&
           DrawFields(flow, "Recording", data.RecordingFields()) &&
           DrawFields(flow, "Structure", data.StructureFields()) &&
           DrawFields(flow, "Authentication Results:", data.ResultFields()) &&
           DrawFields(flow, "Irregular Packets:", data.PacketFields()) &&
           DrawOverview(flow, data) && DrawRuns(flow, data);
}

QString Footer(const ReportData& data) {
    const std::string& path = data.report.path;
    return QString::fromStdString(path.substr(path.find_last_of('/') + 1) + "   SHA-256 " +
                                  data.hash.sha256);
}

void SetUpWriter(QPdfWriter& writer, const ReportData& data) {
    writer.setResolution(PageFlow::kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer.setCreator(QString::fromStdString(data.tool + " " + data.version));
    writer.setTitle(QString::fromStdString("Examination report: " + data.report.path));
}

}  // namespace

std::optional<std::string> WriteReportPdf(const ReportData& data, int fd) {
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
        return file.errorString().toStdString();
    bool drawn = false;
    {
        QPdfWriter writer(&file);
        SetUpWriter(writer, data);
        QPainter painter;
        if (!painter.begin(&writer))
            return std::string("the PDF could not be begun");
        PageFlow flow(writer, painter, Footer(data));
        drawn = DrawReport(flow, data);
        painter.end();
    }
    if (!drawn)
        return std::string("a page of the PDF could not be begun");
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return file.errorString().toStdString();
    return std::nullopt;
}

}  // namespace tvx::report
