#include "app/irregular_blocks_dlg.h"

#include "play/player_texts.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace tvx::app {

void IrregularRunsModel::Changed(std::size_t from, std::optional<COleDateTime> clockStart) {
    m_clockStart = clockStart;
    const int rows = static_cast<int>(m_runs.size());
    const int before = m_rows;
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    const int kept = std::min(before, rows);
    if (static_cast<int>(from) < kept)
        emit dataChanged(index(static_cast<int>(from), 0), index(kept - 1, columnCount() - 1));
}

int IrregularRunsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int IrregularRunsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant IrregularRunsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || index.row() >= m_rows)
        return {};
    const IrregularRun& run = m_runs[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case 0: return QString::fromStdString(FormatMs(run.startMs));
    case 1:
        if (!m_clockStart)
            return QString();
        return QString::fromStdString(
            (*m_clockStart + COleDateTimeSpan::FromMs(run.startMs)).Format(kDateLineFormat));
    case 2: return QString::fromStdString(RunBlocksText(run));
    default: return QString::fromStdString(CauseWords(run.status));
    }
}

QVariant IrregularRunsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const kHeads[] = {"Start", "Clock Time", "Blocks", "Causes"};
    return QString(kHeads[std::clamp(section, 0, 3)]);
}

CIrregularBlocksDlg::CIrregularBlocksDlg(IrregularRunsModel& model, QWidget* parent)
    : QDialog(parent), m_table(new QTableView(this)) {
    setWindowTitle("Irregular Blocks");
    m_table->setModel(&model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(0, 100);
    m_table->setColumnWidth(1, 200);
    m_table->setColumnWidth(2, 130);
    m_table->setToolTip("Double click a run to go there");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    resize(640, 320);
    connect(m_table, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { emit RunChosen(static_cast<std::size_t>(index.row())); });
}

}  // namespace tvx::app
