#include "desk/path_dialog.h"

#include "core/string_table.h"
#include "desk/dialog_units.h"
#include "desk/folder_rules.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvx {

namespace {

// What the system keeps of a path: longer names could not be created anyway.
constexpr int kMaxPathCharacters = 4095;
constexpr int kSettleMs = 100;

QString Text(int id) { return QString::fromUtf8(LoadString(id)); }

}  // namespace

CPathDialog::CPathDialog(const QString& caption, const QString& title,
                         const QString& initialFolder, QWidget* owner)
    : QDialog(owner),
      m_title(new QLabel(title, this)),
      m_edit(new QLineEdit(this)),
      m_tree(new QTreeView(this)),
      m_model(new QFileSystemModel(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setObjectName(QStringLiteral("pathDialog"));
    setWindowTitle(caption.isEmpty() ? Text(109) : caption);
    m_title->setWordWrap(true);
    m_edit->setObjectName(QStringLiteral("folderPath"));
    m_edit->setMaxLength(kMaxPathCharacters);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_model->setRootPath(QStringLiteral("/"));
    m_tree->setObjectName(QStringLiteral("folderTree"));
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setHeaderHidden(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_edit);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_buttons);
    resize(DialogUnitsToPixels(fontMetrics(), 212, 230));

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CPathDialog::OnSelectionChanged);
    connect(m_edit, &QLineEdit::textChanged, this, &CPathDialog::OnPathEdited);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CPathDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CPathDialog::reject);

    for (QAbstractButton* button : m_buttons->buttons())
        button->setIcon({});   // plain, as every other button of the program
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    const QString start = initialFolder.isEmpty() ? QDir::currentPath() : initialFolder;
    const QModelIndex at = m_model->index(start);
    if (at.isValid()) {
        m_tree->setCurrentIndex(at);
        for (QModelIndex up = at.parent(); up.isValid(); up = up.parent())
            m_tree->expand(up);
        // The tree fills in the background: bring the selection back into view as it grows.
        connect(m_model, &QFileSystemModel::directoryLoaded, this, [this] {
            // The model sorts what it loaded and the tree lays it out a moment later.
            QTimer::singleShot(kSettleMs, this, &CPathDialog::ShowSelection);
        });
        m_tree->scrollTo(at, QAbstractItemView::PositionAtCenter);
    } else {
        // A folder still to be made: the user can take it as typed and have it created.
        m_edit->setText(start);
    }
    m_edit->setFocus();
}

int CPathDialog::DoModal() {
    m_bOK = false;
    return exec() == QDialog::Accepted && m_bOK ? 1 : -1;
}

void CPathDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only a laid-out tree knows where its centre is.
    QTimer::singleShot(kSettleMs, this, &CPathDialog::ShowSelection);
}

void CPathDialog::ShowSelection() {
    m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void CPathDialog::OnSelectionChanged() {
    const QString path = m_model->filePath(m_tree->currentIndex());
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!path.isEmpty());
    m_edit->setText(path);
}

void CPathDialog::OnPathEdited(const QString& text) {
    m_path = text;
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!text.isEmpty());
}

void CPathDialog::accept() {
    m_path = m_edit->text();
    if (ValidateTypedPath() != 0) {
        m_edit->setFocus();
        return;
    }
    m_bOK = true;
    QDialog::accept();
}

int CPathDialog::ValidateTypedPath() {
    const std::string path = QFile::encodeName(m_path).toStdString();
    if (CheckFolderPath(path, FolderMode::Check) != FolderCheck::Good) {
        ShowFolderMessage(m_path, 104);
        return 1;
    }
    if (PathExists(path)) {
        if (IsFolder(path))
            return 0;
        ShowFolderMessage(m_path, 104);   // a file of that name: no folder can go there
        return 1;
    }
    const QString question = Text(106) + QStringLiteral("\n\n") + m_path + QStringLiteral("\n\n") +
                             Text(105);
    if (QMessageBox::question(this, Text(109), question, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::Yes) != QMessageBox::Yes)
        return 1;
    const FolderCheck made = CheckFolderPath(path, FolderMode::Create);
    if (made != FolderCheck::Good) {
        ShowFolderMessage(m_path, made == FolderCheck::Invalid ? 104 : 103);
        return static_cast<int>(made);
    }
    return 0;
}

void CPathDialog::ShowFolderMessage(const QString& path, int textId) {
    QMessageBox::warning(this, Text(109),
                         Text(106) + QStringLiteral("\n\n") + path + QStringLiteral("\n\n") +
                             Text(textId));
}

}  // namespace tvx
