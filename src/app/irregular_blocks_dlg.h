#pragma once

#include "analysis/irregular_runs.h"
#include "core/datetime.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <cstddef>
#include <optional>
#include <vector>

class QTableView;

namespace tvx::app {

// The irregular runs as rows: start in the recording, clock time, blocks, causes. It reads the
// window's list, which only ever changes on the window's thread and tells the model so.
class IrregularRunsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit IrregularRunsModel(const std::vector<IrregularRun>& runs, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_runs(runs) {}

    // Runs from `from` on may have changed, moved, come or gone; `clockStart` is the
    // recording's clock at 0 ms when its format has dates.
    void Changed(std::size_t from, std::optional<COleDateTime> clockStart);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const std::vector<IrregularRun>& m_runs;
    int m_rows = 0;   // as the views last heard
    std::optional<COleDateTime> m_clockStart;
};

// "Irregular Blocks": the table of the runs, filled as verdicts arrive; a double click on a
// row asks the window to go there.
class CIrregularBlocksDlg : public QDialog {
    Q_OBJECT
public:
    CIrregularBlocksDlg(IrregularRunsModel& model, QWidget* parent);
    QTableView& Table() const { return *m_table; }

signals:
    void RunChosen(std::size_t run);

private:
    QTableView* m_table;
};

}  // namespace tvx::app
