// The report command's part with Qt, loaded by tessivox-cli when the command runs.

#include "report/report_pdf.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

namespace {

QtMessageHandler g_qtMessages = nullptr;

// Without a desktop session Qt remarks on its missing runtime folder, which the report never
// uses; everything else it says goes on as it would.
void PassQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith("QStandardPaths: XDG_RUNTIME_DIR"))
        return;
    if (g_qtMessages != nullptr)
        g_qtMessages(type, context, text);
}

// The controls need an application, made for the call and gone before the plugin returns;
// the command runs without a display.
std::optional<std::string> WriteInApplication(const tvx::ReportData& data, int fd) {
    if (QApplication::instance() != nullptr)
        return tvx::report::WriteReportPdf(data, fd);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    g_qtMessages = qInstallMessageHandler(PassQtMessage);
    int argc = 1;
    char name[] = "tessivox-cli";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    return tvx::report::WriteReportPdf(data, fd);
}

}  // namespace

// 0 when the PDF went to fd, else -1 with the reason in `error` (cut to errorSize).
// Nothing thrown leaves the plugin: the tool that loads it has a C++ runtime of its own.
extern "C" __attribute__((visibility("default"))) int tvx_write_report(
    const tvx::ReportData* data, int fd, char* error, std::size_t errorSize) {
    std::optional<std::string> failed;
    try {
        failed = WriteInApplication(*data, fd);
    } catch (const std::exception& e) {
        failed = e.what();
    } catch (...) {
        failed = "an unexpected failure";
    }
    if (!failed)
        return 0;
    if (errorSize > 0) {
        std::strncpy(error, failed->c_str(), errorSize - 1);
        error[errorSize - 1] = '\0';
    }
    return -1;
}
