#include "analysis/irregular_runs.h"

namespace tvx {

void IrregularRuns::Add(std::int32_t index, BlockStatus status, std::int64_t startMs,
                        std::int64_t endMs) {
    ++m_records;
    if (!m_runs.empty()) {
        IrregularRun& run = m_runs.back();
        if (run.status == status && std::int64_t{run.last} + 1 == index) {
            run.last = index;
            run.endMs = endMs;
            return;
        }
    }
    m_runs.push_back({index, index, status, startMs, endMs});
}

}  // namespace tvx
