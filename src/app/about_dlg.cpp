#include "app/about_dlg.h"

#include "core/string_table.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace tvx::app {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_version(new QLabel(this)) {
    setWindowTitle(tr("About Tessivox"));
    m_strVersion = QStringLiteral("Tessivox Version ") + QString::fromLatin1(LoadString(102));
    m_version->setText(m_strVersion);
    m_version->setProperty("controlId", kIdVersion);

    auto* icon = new QLabel(this);
    const QIcon appIcon = QApplication::windowIcon();
    const QIcon shown = appIcon.isNull() ? style()->standardIcon(QStyle::SP_MessageBoxInformation)
                                         : appIcon;
    icon->setPixmap(shown.pixmap(32, 32));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addWidget(m_version, 1, Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tvx::app
