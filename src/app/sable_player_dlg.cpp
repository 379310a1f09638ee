#include "app/sable_player_dlg.h"

#include "app/about_dlg.h"
#include "app/dialog_template.h"
#include "app/gui_hooks.h"
#include "app/irregular_blocks_dlg.h"
#include "app/wait_dlg.h"
#include "audio/output_volume.h"
#include "controls/bitmaps.h"
#include "controls/decrypt_bar.h"
#include "controls/image_button.h"
#include "controls/image_static.h"
#include "controls/system_look.h"
#include "controls/text.h"
#include "controls/time_line.h"
#include "controls/wave_view.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace tvx::app {

std::atomic<CSablePlayerDlg*> g_pMainDlg{nullptr};

namespace {

constexpr const char* kNoFile = "No File Loaded";
constexpr const char* kTitle = "Tessivox";

QFont FontFor(FontRole role) {
    switch (role) {
    case FontRole::Results: return SystemFont(20, 900);
    case FontRole::Verdicts: return SystemFont(16, 500);
    case FontRole::Date: return SystemFont(40, 900, true);
    case FontRole::Identity: return SystemFont(25, 900);
    case FontRole::None: break;
    }
    return {};
}

struct TransportBitmaps {
    std::uint32_t normal, down, disabled;
};

TransportBitmaps BitmapsOf(int id) {
    switch (id) {
    case id::kBackTrack: return {136, 0, 137};
    case id::kPlay: return {143, 142, 144};
    case id::kPause: return {140, 148, 141};
    default: return {145, 0, 146};   // Stop
    }
}

const char* TransportTip(int id) {
    switch (id) {
    case id::kBackTrack: return "Back to the start (Home)";
    case id::kPlay: return "Play (Space)";
    case id::kPause: return "Pause or resume (Space)";
    default: return "Stop (S)";
    }
}

// A chain's identity names its outer image too; rather than lose its end, the text steps
// down in size until it fits its control.
void SetFittedText(QLabel* label, const QString& text) {
    QFont font = FontFor(FontRole::Identity);
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(text) > label->width())
        font.setPixelSize(font.pixelSize() - 1);
    if (label->font() != font)
        label->setFont(font);
    if (label->text() != text)
        label->setText(text);
}

QWidget* MakeControl(const TemplateItem& item, QWidget* client) {
    const QString text = QString::fromUtf8(item.text);
    switch (item.kind) {
    case ControlKind::Label: return new QLabel(text, client);
    case ControlKind::CentredLabel: {
        auto* label = new QLabel(text, client);
        label->setAlignment(Qt::AlignCenter);
        return label;
    }
    case ControlKind::RightLabel: {
        auto* label = new QLabel(text, client);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return label;
    }
    case ControlKind::Group: return new QGroupBox(text, client);
    case ControlKind::Button: {
        auto* button = new QPushButton(text, client);
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::ImageButton: {
        auto* button = new CImageButton(client);
        const TransportBitmaps b = BitmapsOf(item.id);
        button->SetBitmaps(b.normal, b.down, b.disabled);
        button->setText(text);   // read by accessibility tools; the picture is what shows
        button->setToolTip(TransportTip(item.id));
        button->setFocusPolicy(Qt::NoFocus);
        return button;
    }
    case ControlKind::CheckBox: return new QCheckBox(text, client);
    case ControlKind::Slider: {
        auto* slider = new QSlider(Qt::Horizontal, client);
        slider->setRange(0, 65535);
        slider->setPageStep(4096);
        return slider;
    }
    case ControlKind::ImageStatic: {
        auto* picture = new CImageStatic(client);
        if (item.bitmap != 0)
            picture->SetBitmap(static_cast<std::uint32_t>(item.bitmap));
        return picture;
    }
    case ControlKind::WaveView: return new CWaveView(client);
    case ControlKind::TimeLine: return new CTimeLine(client);
    case ControlKind::DecryptBar: return new CDecryptBar(client);
    case ControlKind::Text: return new CText(client);
    }
    return nullptr;
}

}  // namespace

CSablePlayerDlg::CSablePlayerDlg(PlayerFactory makePlayer, const QString& startPath,
                                 QWidget* parent)
    : QDialog(parent), m_makePlayer(std::move(makePlayer)),
      m_strPathName(startPath), m_bStartLoadPending(!startPath.isEmpty()) {
    g_pMainDlg.store(this, std::memory_order_release);
    setWindowTitle(kTitle);
    setWindowIcon(QPixmap::fromImage(LoadBitmapImage(128)));
    setAcceptDrops(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    auto* client = new QWidget(this);
    client->setFixedSize(DluToPixels(kTemplateSize));
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    CreateControls(client);
    CreateMenu(bar);
    m_pWaitDlg = new CWaitDlg(this);
    m_hooks = std::make_unique<GuiHooks>(*m_pWaitDlg, *m_waveView, *this);
    m_timer1.callOnTimeout(this, &CSablePlayerDlg::OnPlaybackTick);
    m_timer2.callOnTimeout(this, &CSablePlayerDlg::OnAuthenticationTick);
    InitialState();
}

CSablePlayerDlg::~CSablePlayerDlg() {
    m_timer1.stop();
    m_timer2.stop();
    DeleteReader();   // its worker ends before the route and the tally it counts into go
    CSablePlayerDlg* self = this;
    g_pMainDlg.compare_exchange_strong(self, nullptr);
}

void CSablePlayerDlg::CreateControls(QWidget* client) {
    for (const TemplateItem& item : MainTemplate()) {
        QWidget* w = MakeControl(item, client);
        w->setGeometry(DluToPixels(item.rect));
        w->setProperty("controlId", item.id);
        if (item.font != FontRole::None)
            w->setFont(FontFor(item.font));
        if (item.id != id::kNone)
            m_items.insert(item.id, w);
    }
    // Groups lie under the texts they frame.
    for (int group : {id::kResultsGroup, id::kPacketsGroup})
        m_items.value(group)->lower();

    m_date = qobject_cast<QLabel*>(GetDlgItem(id::kDate));
    m_waveView = qobject_cast<CWaveView*>(GetDlgItem(id::kWaveView));
    m_timeLine = qobject_cast<CTimeLine*>(GetDlgItem(id::kTimeLine));
    m_decryptBar = qobject_cast<CDecryptBar*>(GetDlgItem(id::kDecryptBar));
    m_status = qobject_cast<CText*>(GetDlgItem(id::kStatus));
    m_btnBackTrack = qobject_cast<CImageButton*>(GetDlgItem(id::kBackTrack));
    m_btnPlay = qobject_cast<CImageButton*>(GetDlgItem(id::kPlay));
    m_btnPause = qobject_cast<CImageButton*>(GetDlgItem(id::kPause));
    m_btnStop = qobject_cast<CImageButton*>(GetDlgItem(id::kStop));
    m_headerIcon = qobject_cast<CImageStatic*>(GetDlgItem(id::kFileHeaderIcon));
    m_lengthIcon = qobject_cast<CImageStatic*>(GetDlgItem(id::kFileLengthIcon));
    SetVerdictIcon(m_headerIcon, 0);
    SetVerdictIcon(m_lengthIcon, 0);
    m_slider = qobject_cast<QSlider*>(GetDlgItem(id::kSlider));
    m_boost = qobject_cast<QCheckBox*>(GetDlgItem(id::kBoost));
    m_decryptBar->SetStates(&m_tally.GetStrip());

    connect(m_btnPlay, &CImageButton::clicked, this, &CSablePlayerDlg::OnPlay);
    connect(m_btnPause, &CImageButton::clicked, this, &CSablePlayerDlg::OnPause);
    connect(m_btnStop, &CImageButton::clicked, this, &CSablePlayerDlg::OnStop);
    connect(m_btnBackTrack, &CImageButton::clicked, this, &CSablePlayerDlg::OnBackTrack);
    connect(m_waveView, &CWaveView::clicked, this, &CSablePlayerDlg::OnSeek);
    connect(m_decryptBar, &CDecryptBar::clicked, this, &CSablePlayerDlg::OnSeek);
    connect(m_boost, &QCheckBox::toggled, this, &CSablePlayerDlg::OnBoost);
    // Only dragging the thumb sets the volume; a click beside it does not.
    connect(m_slider, &QSlider::sliderMoved, this, &CSablePlayerDlg::OnVolume);
    connect(qobject_cast<QPushButton*>(GetDlgItem(id::kBrowse)), &QPushButton::clicked, this,
            &CSablePlayerDlg::OnFileOpen);
    connect(qobject_cast<QPushButton*>(GetDlgItem(id::kExit)), &QPushButton::clicked, this,
            &CSablePlayerDlg::reject);
}

void CSablePlayerDlg::CreateMenu(QMenuBar* bar) {
    auto add = [this](QMenu* menu, int id, const QString& text, void (CSablePlayerDlg::*slot)(),
                      const QKeySequence& keys = {}) {
        QAction* action = menu->addAction(text);
        action->setProperty("commandId", id);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, slot);
        m_commands.insert(id, action);
    };
    QMenu* file = bar->addMenu("&File");
    add(file, id::kFileOpen, "&Open", &CSablePlayerDlg::OnFileOpen, QKeySequence(Qt::CTRL | Qt::Key_O));
    file->addSeparator();
    add(file, id::kAuthenticate, "&Authenticate", &CSablePlayerDlg::OnAuthenticationCommand);
    add(file, id::kDetails, "&Details", &CSablePlayerDlg::OnDetails);
    add(file, id::kIrregularBlocks, "&Irregular Blocks...", &CSablePlayerDlg::OnIrregularBlocks);
    add(file, id::kConvert, "Convert to &Wav", &CSablePlayerDlg::OnConvert);
    add(file, id::kSaveReport, "Save &Report...", &CSablePlayerDlg::OnSaveReport);
    file->addSeparator();
    add(file, id::kAppExit, "E&xit", &CSablePlayerDlg::reject);
    // The keys of the window, each shown beside its command.
    QMenu* play = bar->addMenu("&Play");
    add(play, id::kPlayPause, "&Play / Pause", &CSablePlayerDlg::OnPlayPause, Qt::Key_Space);
    add(play, id::kStopCommand, "&Stop", &CSablePlayerDlg::OnStop, Qt::Key_S);
    add(play, id::kToStart, "&Back to the Start", &CSablePlayerDlg::OnToStart, Qt::Key_Home);
    play->addSeparator();
    add(play, id::kNextRun, "&Next Irregular Run", &CSablePlayerDlg::OnNextRun, Qt::Key_N);
    add(play, id::kPreviousRun, "P&revious Irregular Run", &CSablePlayerDlg::OnPreviousRun, Qt::Key_P);
    QMenu* help = bar->addMenu("&Help");
    add(help, id::kHelp, "&Help", &CSablePlayerDlg::OnHelp, Qt::Key_F1);
    add(help, id::kAbout, "&About", &CSablePlayerDlg::OnAbout);
}

void CSablePlayerDlg::OnPlayPause() { m_bPlaying ? OnPause() : OnPlay(); }

void CSablePlayerDlg::OnToStart() {
    if (m_btnBackTrack->isEnabled())
        OnBackTrack();
}

void CSablePlayerDlg::InitialState() {
    m_bPlaying = false;
    m_bPaused = false;
    SetStatusIdle();
    m_strDate = kNoFile;
    m_identity = {};
    ClearSpinners();
    m_results = EmptyTexts();
    SetTransport(Transport::Empty);
    m_slider->setValue(static_cast<int>(GetOutputVolume() & 0xFFFF));
    RefreshControls();
}

void CSablePlayerDlg::Reset() {
    setWindowTitle(kTitle);
    m_strDate = kNoFile;
    m_identity = {};
    // The playback tick of the image let go has nothing left to stop its spinners.
    m_timer1.stop();
    ClearSpinners();
    SetVerdictIcon(m_headerIcon, 0);
    SetVerdictIcon(m_lengthIcon, 0);
    m_tally.Allocate(0, 0);
    m_results = EmptyTexts();
    SetStatusIdle();
    m_timeLine->ResetTimes();
    ClearPeaks();
    SetTransport(Transport::Empty);
    m_nFileType = {};
    m_readAs = {};
    CollectRuns();
    RefreshControls();
    update();
}

void CSablePlayerDlg::SetStatusIdle() {
    m_status->SetText(kStatusIdle);
    m_status->SetTextColour(FromColorRef(AuthTally::kStatusGreen));
    m_status->Enable(false);
    m_seenStatusColour = m_tally.GetStatusColour();
    m_seenStatusWrites = m_tally.StatusEnableWrites();
}

void CSablePlayerDlg::SetTransport(Transport state) {
    m_transport = state;
    const TransportView v = ViewOf(state);
    m_btnStop->setEnabled(v.stop);
    m_btnPlay->setEnabled(v.play);
    m_btnPause->setEnabled(v.pause);
    m_btnBackTrack->setEnabled(v.backTrack);
    m_btnPlay->SetLatched(v.playLatched);
    m_btnPause->SetLatched(v.pauseLatched);
    for (int command : {id::kAuthenticate, id::kDetails, id::kConvert, id::kSaveReport})
        m_commands.value(command)->setEnabled(v.imageCommands);
}

void CSablePlayerDlg::RefreshControls() {
    m_date->setText(m_strDate);
    SetFittedText(qobject_cast<QLabel*>(GetDlgItem(id::kUnitId)),
                  QString::fromStdString(m_identity.unitId));
    SetFittedText(qobject_cast<QLabel*>(GetDlgItem(id::kFileNumber)),
                  QString::fromStdString(m_identity.fileNumber));
    qobject_cast<QLabel*>(GetDlgItem(id::kSpin1))->setText(m_strSpin1);
    qobject_cast<QLabel*>(GetDlgItem(id::kSpin2))->setText(m_strSpin2);
    const std::pair<int, const std::string*> texts[] = {
        {id::kDuration, &m_results.duration},
        {id::kVerified, &m_results.verified},
        {id::kIrregularities, &m_results.irregularities},
        {id::kUnauthenticated, &m_results.unauthenticated},
        {id::kUnitIdCount, &m_results.unitIdCount},
        {id::kFileNumberCount, &m_results.fileNumberCount},
        {id::kSequenceCount, &m_results.sequenceCount},
        {id::kChecksumCount, &m_results.checksumCount},
    };
    for (const auto& [control, text] : texts) {
        auto* label = qobject_cast<QLabel*>(GetDlgItem(control));
        const QString shown = QString::fromStdString(*text);
        if (label->text() != shown)   // the timers refresh every tick; repaint on change only
            label->setText(shown);
    }
}

void CSablePlayerDlg::ClearSpinners() {
    m_strSpin1.clear();
    m_strSpin2.clear();
}

// --- commands

void CSablePlayerDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

// --- message boxes

bool CSablePlayerDlg::AskYesNo(const QString& caption, const QString& text) {
    return BoxPrompter(this).AskYesNo(caption, text);
}

void CSablePlayerDlg::Tell(const QString& caption, const QString& text, Icon icon) {
    BoxPrompter(this).Tell(caption, text, icon);
}

// --- window events

void CSablePlayerDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_bStartLoadPending)
        return;
    m_bStartLoadPending = false;
    // After the first paint, so the peaks pass has a window to show its progress over.
    QTimer::singleShot(0, this, [this] { LoadOrReset(m_strPathName); });
}

void CSablePlayerDlg::closeEvent(QCloseEvent* event) {
    m_bPlaying = false;
    QDialog::closeEvent(event);
}

void CSablePlayerDlg::reject() {
    m_bPlaying = false;
    QDialog::reject();
}

void CSablePlayerDlg::keyPressEvent(QKeyEvent* event) {
    // Escape also closes message boxes and menus; one press too many must not end the
    // program and its results. Exit, the menu and the close box end it.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CSablePlayerDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (IsBusy())
        return;
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile())
        event->acceptProposedAction();
}

void CSablePlayerDlg::dropEvent(QDropEvent* event) {
    const QString path = event->mimeData()->urls().front().toLocalFile();
    event->acceptProposedAction();
    // Not inside the drop: the peaks pass turns the event loop while the source waits.
    QTimer::singleShot(0, this, [this, path] { LoadFromUser(path); });
}

}  // namespace tvx::app
