#pragma once

#include "analysis/examination_report.h"
#include "report/page_flow.h"

#include <QString>

#include <vector>

namespace tvx::report {

// The parts of the examination report, each drawn where the flow stands; false when a new
// page could not be begun. The title and the verdict open the first page.
void DrawTitle(PageFlow& flow, const ReportData& data);
void DrawVerdict(PageFlow& flow, const ReportData& data);
bool DrawFields(PageFlow& flow, const QString& heading, const std::vector<ReportField>& fields);
bool DrawOverview(PageFlow& flow, const ReportData& data);
// The irregular runs, as many as the report's second page holds; the rest are counted.
bool DrawRuns(PageFlow& flow, const ReportData& data);

}  // namespace tvx::report
