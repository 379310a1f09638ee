#include "app/sable_player_dlg.h"

#include "app/gui_hooks.h"
#include "app/wait_dlg.h"
#include "controls/wave_view.h"
#include "export/pending_output.h"
#include "formats/examination.h"
#include "report/report_pdf.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace tvx::app {

namespace {

const QString kSaveReport = QStringLiteral("Save Report");

// The scan pumps no messages of its own; on the window's thread each step of its progress
// lets the window breathe, so the wait window's Cancel is heard.
class ReportHooks : public GuiHooks {
public:
    using GuiHooks::GuiHooks;
    void SetPos(int position) override {
        GuiHooks::SetPos(position);
        PumpWaitingMessage();
    }
};

QString ChooseReportPath(QWidget* parent, const QString& image) {
    QFileDialog dialog(parent, kSaveReport);
    dialog.setObjectName(QStringLiteral("saveReportDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("PDF Files (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    const QFileInfo info(image);
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.completeBaseName() + QStringLiteral(" report.pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

std::string Why(const Error& error) { return error.path + ":\n\n" + DescribeError(error); }

}  // namespace

void CSablePlayerDlg::OnSaveReport() {
    if (!HasImage())
        return;
    const QString target = ChooseReportPath(this, m_strPathName);
    if (target.isEmpty())
        return;
    const BusyScope busy(*this);
    OnStop();
    if (const std::optional<std::string> failure = SaveReport(QFile::encodeName(target).toStdString()))
        Tell(kSaveReport, QString::fromStdString(*failure), Icon::Exclamation);
}

std::optional<std::string> CSablePlayerDlg::SaveReport(const std::string& target) {
    const std::string image = QFile::encodeName(m_strPathName).toStdString();
    // The save dialog has asked before an existing file is replaced; a link it never is.
    Result<PendingOutput> output = PendingOutput::Begin(target, image, true);
    if (!output)
        return Why(output.GetError());
    ReportHooks hooks(*m_pWaitDlg, *m_waveView, *this);
    hooks.SetMessage("Examining...");
    hooks.ShowProgress(true);
    const Result<ReportData> examined = ExamineForReport(image, hooks, kScanPieceRecords);
    hooks.ShowProgress(false);
    if (!examined)
        return Why(examined.GetError());
    if (const std::optional<std::string> failed =
            report::WriteReportPdf(*examined, output->Descriptor()))
        return target + ":\n\n" + *failed;
    if (const std::optional<Error> failed = output->Commit())
        return Why(*failed);
    return std::nullopt;
}

}  // namespace tvx::app
