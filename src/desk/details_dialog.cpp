#include "desk/details_dialog.h"

#include "desk/dialog_units.h"
#include "export/background_hash.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvx {

namespace {

QLineEdit* ReadOnlyEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    return edit;
}

QFrame* Rule(QWidget* parent) {
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

QString Qs(const std::string& text) { return QString::fromUtf8(text); }

}  // namespace

CDetails::CDetails(QWidget* parent)
    : QDialog(parent),
      m_caption(new QLabel(this)),
      m_unitText(ReadOnlyEdit(this, "unitText")),
      m_number(ReadOnlyEdit(this, "number")),
      m_sampleRate(ReadOnlyEdit(this, "sampleRate")),
      m_bits(ReadOnlyEdit(this, "bits")),
      m_channels(ReadOnlyEdit(this, "channels")),
      m_details(new QPlainTextEdit(this)),
      m_size(ReadOnlyEdit(this, "size")),
      m_modified(ReadOnlyEdit(this, "modified")),
      m_sha256(ReadOnlyEdit(this, "sha256")) {
    setObjectName(QStringLiteral("detailsDialog"));
    setWindowTitle(QStringLiteral("Details"));
    m_caption->setObjectName(QStringLiteral("caption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_details->setObjectName(QStringLiteral("details"));
    m_details->setReadOnly(true);
    m_details->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_details->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_details->setTabStopDistance(m_details->fontMetrics().horizontalAdvance(QStringLiteral("Duration:")) +
                                  m_details->fontMetrics().horizontalAdvance(QStringLiteral("    ")));

    auto* grid = new QGridLayout;
    int row = 0;
    for (auto [label, edit] : {std::pair{"Unit ID:", m_unitText},
                               std::pair{"Recording Number:", m_number},
                               std::pair{"Sample Rate (Hz):", m_sampleRate},
                               std::pair{"Bits Per Sample:", m_bits},
                               std::pair{"Channels:", m_channels},
                               std::pair{"File Size:", m_size},
                               std::pair{"Modified (UTC):", m_modified},
                               std::pair{"SHA-256:", m_sha256}}) {
        grid->addWidget(new QLabel(QString::fromLatin1(label), this), row, 0);
        grid->addWidget(edit, row++, 1);
    }
    m_sha256->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_sha256->setMinimumWidth(m_sha256->fontMetrics().horizontalAdvance(QString(66, QLatin1Char('0'))));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, Qt::Horizontal, this);
    buttons->setCenterButtons(true);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setIcon({});   // plain, as every other button of the program
    ok->setDefault(true);
    ok->setFocus();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addWidget(Rule(this));
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("Time and Length Details:"), this));
    layout->addWidget(m_details, 1);
    layout->addWidget(Rule(this));
    layout->addWidget(buttons);
    resize(DialogUnitsToPixels(fontMetrics(), 212, 230).expandedTo(sizeHint()));

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    m_hashPoll.setInterval(50);
    connect(&m_hashPoll, &QTimer::timeout, this, &CDetails::TakeHash);
}

CDetails::~CDetails() = default;   // stops a hash still running and waits for its thread

void CDetails::HashImage(const std::string& path) {
    for (QLineEdit* field : {m_size, m_modified, m_sha256})
        field->setText(QStringLiteral("Computing..."));
    m_hash = std::make_unique<BackgroundHash>(path);
    m_hashPoll.start();
}

void CDetails::TakeHash() {
    if (!m_hash || !m_hash->IsReady(std::chrono::milliseconds(0)))
        return;
    m_hashPoll.stop();
    const Result<FileHash> hash = m_hash->Take();
    m_hash.reset();
    if (!hash) {
        m_size->clear();
        m_modified->clear();
        m_sha256->setText(Qs("Not computed: " + DescribeError(hash.GetError())));
        return;
    }
    m_size->setText(QString::number(hash->size));
    m_modified->setText(Qs(hash->mtime));
    m_sha256->setText(Qs(hash->sha256));
}

void CDetails::SetCaption(const QString& caption) { m_caption->setText(caption); }

void CDetails::SetDetails(const QString& details) {
    QString lines = details;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_details->setPlainText(lines);
}

void CDetails::SetFields(const DetailsFields& fields) {
    SetCaption(Qs(DetailsCaption(fields.formatName)));
    m_unitText->setText(Qs(fields.unitText));
    m_number->setText(Qs(fields.number));
    m_sampleRate->setText(Qs(fields.sampleRate));
    m_bits->setText(Qs(fields.bits));
    m_channels->setText(Qs(fields.channels));
    SetDetails(Qs(fields.details));
}

void ShowDetails(QWidget* parent, const DetailsFields& fields, const std::string& imagePath) {
    CDetails dialog(parent);
    dialog.SetFields(fields);
    dialog.HashImage(imagePath);
    dialog.exec();
}

}  // namespace tvx
