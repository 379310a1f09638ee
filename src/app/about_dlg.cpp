#include "app/about_dlg.h"

#include "controls/bitmaps.h"
#include "core/string_table.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvx::app {

namespace {
constexpr std::uint32_t kAppIcon = 128;
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_version(new QLabel(this)) {
    setWindowTitle(tr("About Tessivox"));
    m_strVersion = QStringLiteral("Tessivox Version ") + QString::fromLatin1(LoadString(102));
    m_version->setText(m_strVersion);
    m_version->setProperty("controlId", kIdVersion);

    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap::fromImage(LoadBitmapImage(kAppIcon))
                        .scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addWidget(m_version, 1, Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(ok, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tvx::app
