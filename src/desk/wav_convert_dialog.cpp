#include "desk/wav_convert_dialog.h"

#include "core/string_table.h"
#include "desk/dialog_units.h"
#include "desk/folder_rules.h"
#include "desk/path_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>
#include <tuple>

namespace tvx {

namespace {

QString Text(int id) { return QString::fromUtf8(LoadString(id)); }

// A whole number as the integer exchange of a dialog reads it: an optional sign, digits, and
// a value that fits 32 bits; blanks around it are allowed.
std::optional<int> WholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QLineEdit* NumberEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    return edit;
}

}  // namespace

CWavConvert::CWavConvert(QWidget* parent)
    : QDialog(parent),
      m_editMinutes(NumberEdit(this, "minutes")),
      m_editMegabytes(NumberEdit(this, "megabytes")),
      m_checkMegabytes(new QCheckBox(QStringLiteral("MegaBytes"), this)),
      m_checkMinutes(new QCheckBox(QStringLiteral("Minutes"), this)),
      m_editFolder(new QLineEdit(this)),
      m_browse(new QPushButton(QStringLiteral("Browse..."), this)) {
    setObjectName(QStringLiteral("wavConvertDialog"));
    setWindowTitle(QStringLiteral("Convert To Wave"));
    m_checkMegabytes->setObjectName(QStringLiteral("megabytesBox"));
    m_checkMinutes->setObjectName(QStringLiteral("minutesBox"));
    m_editFolder->setObjectName(QStringLiteral("folder"));
    m_browse->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* convert = buttons->addButton(QStringLiteral("Convert"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    convert->setObjectName(QStringLiteral("convert"));
    convert->setDefault(true);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_editFolder, 1);
    folderRow->addWidget(m_browse);
    auto* limits = new QGridLayout;
    limits->addWidget(new QLabel(QStringLiteral("Create new wave after:"), this), 0, 0, 1, 4);
    limits->addWidget(m_editMinutes, 1, 0);
    limits->addWidget(m_checkMinutes, 1, 1);
    limits->addWidget(m_editMegabytes, 1, 2);
    limits->addWidget(m_checkMegabytes, 1, 3);
    limits->setColumnStretch(4, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(limits, 1);
    bottom->addWidget(buttons, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Select destination folder for the decoded .WAV file(s):"), this));
    layout->addLayout(folderRow);
    layout->addSpacing(6);
    layout->addLayout(bottom);
    resize(DialogUnitsToPixels(fontMetrics(), 270, 85).expandedTo(sizeHint()));

    connect(m_checkMinutes, &QCheckBox::clicked, this, &CWavConvert::OnMinutes);
    connect(m_checkMegabytes, &QCheckBox::clicked, this, &CWavConvert::OnMegabytes);
    connect(m_browse, &QPushButton::clicked, this, &CWavConvert::OnBrowse);
    connect(buttons, &QDialogButtonBox::accepted, this, &CWavConvert::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CWavConvert::reject);

    m_editMinutes->setEnabled(false);
    m_editMegabytes->setEnabled(false);
    WriteControls();
}

void CWavConvert::SetFolder(const QString& folder) {
    m_strFolder = folder;
    m_editFolder->setText(folder);
}

bool CWavConvert::ReadControls() {
    m_strFolder = m_editFolder->text();
    m_bMinutes = m_checkMinutes->isChecked();
    m_bMegabytes = m_checkMegabytes->isChecked();
    for (auto [edit, field, used] : {std::tuple{m_editMinutes, &m_nMinutes, m_bMinutes},
                                     std::tuple{m_editMegabytes, &m_nMegabytes, m_bMegabytes}}) {
        const std::optional<int> value = WholeNumber(edit->text());
        if (value) {
            *field = *value;
            continue;
        }
        if (!used) {   // a number that is dropped anyway needs no correcting
            *field = 0;
            continue;
        }
        QMessageBox::warning(this, Text(109), QStringLiteral("Please enter an integer."));
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    return true;
}

void CWavConvert::WriteControls() {
    m_editFolder->setText(m_strFolder);
    m_checkMinutes->setChecked(m_bMinutes);
    m_checkMegabytes->setChecked(m_bMegabytes);
    m_editMinutes->setText(QString::number(m_nMinutes));
    m_editMegabytes->setText(QString::number(m_nMegabytes));
}

void CWavConvert::ApplyBoxRules(bool minutesClicked) {
    // The box clicked last wins: both checked would make the limit ambiguous.
    m_bMinutes = m_checkMinutes->isChecked();
    m_bMegabytes = m_checkMegabytes->isChecked();
    if (minutesClicked && m_bMinutes)
        m_bMegabytes = false;
    if (!minutesClicked && m_bMegabytes)
        m_bMinutes = false;
    m_checkMinutes->setChecked(m_bMinutes);
    m_checkMegabytes->setChecked(m_bMegabytes);
    m_editMinutes->setEnabled(m_bMinutes);
    m_editMegabytes->setEnabled(m_bMegabytes);
}

void CWavConvert::OnMinutes() { ApplyBoxRules(true); }
void CWavConvert::OnMegabytes() { ApplyBoxRules(false); }

void CWavConvert::OnBrowse() {
    m_strFolder = m_editFolder->text();
    CPathDialog chooser(Text(107), Text(108), m_strFolder, this);
    if (chooser.DoModal() == 1)
        SetFolder(chooser.GetPathName());
}

void CWavConvert::accept() {
    if (!ReadControls())
        return;
    if (!IsFolder(QFile::encodeName(m_strFolder).toStdString())) {
        QMessageBox::warning(this, Text(109), Text(122));
        return;
    }
    if (!m_bMegabytes)
        m_nMegabytes = 0;
    if (!m_bMinutes)
        m_nMinutes = 0;
    QDialog::accept();
}

}  // namespace tvx
