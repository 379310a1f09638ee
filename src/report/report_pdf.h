#pragma once

#include "analysis/examination_report.h"

#include <optional>
#include <string>

namespace tvx::report {

// Writes the examination report as a PDF of A4 pages to `fd` (left open), which the caller
// has made for it. Needs a QApplication: the pictures are the window's own controls. The
// reason it failed, or nothing.
std::optional<std::string> WriteReportPdf(const ReportData& data, int fd);

}  // namespace tvx::report
