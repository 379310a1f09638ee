#pragma once

#include "analysis/auth_tally.h"
#include "analysis/irregular_runs.h"
#include "app/prompter.h"
#include "app/result_texts.h"
#include "app/transport_state.h"
#include "core/hooks.h"
#include "desk/profile.h"
#include "formats/format_of.h"
#include "play/player.h"
#include "play/verdict_route.h"

#include <QDialog>
#include <QHash>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QMenuBar;
class QSlider;

namespace tvx {
class CDecryptBar;
class CImageButton;
class CImageStatic;
class CText;
class CTimeLine;
class CWaveView;
}  // namespace tvx

namespace tvx::app {

class CIrregularBlocksDlg;
class CWaitDlg;
class GuiHooks;
class IrregularRunsModel;
class CSablePlayerDlg;

// The one main window, set while it lives.
extern std::atomic<CSablePlayerDlg*> g_pMainDlg;

// Makes the player of each image the window loads, for the path's kind; the hooks carry the
// wave device's notice and the message pump that Rewind turns while it waits.
using PlayerFactory = std::function<std::unique_ptr<tvx::Player>(ImageKind, Hooks&)>;

// The window's players, their sound going to devices that `makeBackend` makes.
PlayerFactory PlayersWith(BackendFactory makeBackend);

// The main window: the results of the authentication, playback, volume and gain, the
// waveform, the timeline and the authentication strip.
class CSablePlayerDlg : public QDialog, public Prompter {
    Q_OBJECT
public:
    // startPath, when given, is loaded once the window is up; makePlayer makes the reader
    // of each image loaded.
    CSablePlayerDlg(PlayerFactory makePlayer, const QString& startPath = {},
                    QWidget* parent = nullptr);
    ~CSablePlayerDlg() override;

    // --- loading
    bool LoadRecording(const QString& path);
    void Reset();

    // --- commands
    void OnFileOpen();
    // A path handed over by a later start of the program: loaded, and remembered when it
    // loads; a failure leaves the display as the load left it.
    void OnCopyData(const QString& path);
    void OnAuthenticationCommand();
    void OnDetails();
    void OnConvert();
    // "Save Report...": a save dialog, then the image examined afresh into a PDF report.
    void OnSaveReport();
    // The examination report of the loaded image to `target`; why not, or nothing.
    std::optional<std::string> SaveReport(const std::string& target);
    void OnHelp();
    void OnAbout();
    // "Irregular Blocks...": the table of the runs, filled as verdicts arrive.
    void OnIrregularBlocks();

    // --- transport
    void OnPlay();
    void OnPause();
    void OnStop();
    void OnBackTrack();
    void OnPlayPause();   // Space
    void OnToStart();     // Home, while BackTrack is offered
    void OnSeek(double fraction);
    void OnBoost(bool checked);
    void OnVolume(int position);
    // N and P: to the next or previous irregular run from where playback stands; the status
    // line says which run of how many.
    void OnNextRun();
    void OnPreviousRun();
    void GoToRun(std::size_t run);

    // --- timers
    void OnPlaybackTick();
    void OnAuthenticationTick();

    // --- what the window holds, for the hooks, the callback and tests
    AuthTally& Tally() { return m_tally; }
    tvx::Player* Player() const { return m_player.get(); }
    ImageFormat FileType() const { return m_nFileType; }
    Transport GetTransport() const { return m_transport; }
    CWaitDlg& WaitDlg() const { return *m_pWaitDlg; }
    QWidget* GetDlgItem(int id) const { return m_items.value(id); }
    QAction* MenuCommand(int id) const { return m_commands.value(id); }
    bool IsPlaybackTimerActive() const { return m_timer1.isActive(); }
    bool IsAuthenticationTimerActive() const { return m_timer2.isActive(); }
    bool IsBusy() const { return m_busy > 0; }
    const std::vector<IrregularRun>& Runs() const { return m_runs.Runs(); }
    CIrregularBlocksDlg* IrregularBlocksDlg() const { return m_blocksDlg; }

    // --- Prompter: message boxes; a test answers them itself
    bool AskYesNo(const QString& caption, const QString& text) override;
    void Tell(const QString& caption, const QString& text, Icon icon) override;

signals:
    // True while a load, an authentication run or a conversion owns the window; a path
    // handed over meanwhile has to wait for false.
    void Busy(bool busy);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Marks the window busy for as long as it lives.
    class BusyScope {
    public:
        explicit BusyScope(CSablePlayerDlg& window) : m_window(window) { m_window.BeginBusy(); }
        ~BusyScope() { m_window.EndBusy(); }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        CSablePlayerDlg& m_window;
    };
    void BeginBusy();
    void EndBusy();
    void EndAuthRun();   // drops the run's busy mark, once

    // construction
    void CreateControls(QWidget* client);
    void CreateMenu(QMenuBar* bar);
    void InitialState();

    // loading
    std::uint32_t BuildPeaks();
    bool LoadImage(const QString& path);
    bool LoadWithHeader(const std::string& path, std::unique_ptr<tvx::Player> player);
    bool LoadImg(const std::string& path, std::unique_ptr<tvx::Player> player);
    void DeleteReader();
    void TellOpenFailure(const std::string& path);
    void ClearPeaks();
    void FinishLoad();
    // After a pass that had the file: the window stands as after a stop, at the start; a
    // file that did not open again is said and leaves the window empty.
    void AfterReopen(bool reopened);
    // A load with its identity shown on success and the display emptied on failure; one
    // the user asked for is also remembered as the last file.
    bool LoadOrReset(const QString& path);
    void LoadFromUser(const QString& path);

    // display
    void RefreshControls();
    void RefreshIdentity();
    void ShowPosition();
    void UpdateResults();
    void SyncStatusLine();
    void Spin();
    void ClearSpinners();
    void SetTransport(Transport state);
    void OnSeekMs(std::int64_t ms);
    void SetStatusIdle();
    // An icon of "File Header:" or "File Length:" with its tooltip; 0 clears it.
    void SetVerdictIcon(CImageStatic* icon, std::uint32_t bitmap);
    // The tally's new irregular records into the window's runs and the table.
    void CollectRuns();
    void StepToRun(bool forward);
    // A seek of the user's own: N and P walk from where it lands.
    void ForgetWalk();
    bool HasImage() const { return m_player && m_player->HasFile(); }

    PlayerFactory m_makePlayer;
    Profile m_profile;
    int m_busy = 0;
    bool m_bAuthBusy = false;   // the run started by the command holds one busy mark
    std::unique_ptr<GuiHooks> m_hooks;
    CWaitDlg* m_pWaitDlg = nullptr;
    AuthTally m_tally;
    VerdictRoute m_route{m_tally};   // the readers' verdicts count in this window's tally
    std::unique_ptr<tvx::Player> m_player;
    ImageFormat m_nFileType{};         // as the path's search found it: the reader made
    ImageFormat m_readAs{};            // what that reader reads the bytes as
    QString m_strPathName;
    bool m_bStartLoadPending = false;

    // The fields the controls show, refreshed together.
    QString m_strDate;
    IdentityTexts m_identity;
    QString m_strSpin1;
    QString m_strSpin2;
    ResultTexts m_results;

    bool m_bPlaying = false;
    bool m_bPaused = false;
    bool m_bBoost = false;
    Transport m_transport = Transport::Empty;
    // The status line as the tally last published it: the line follows the tally's colour
    // when it changes and each of its bright-or-grey writes, so the window's own greying
    // holds until the next verdict that writes one.
    std::uint32_t m_seenStatusColour = AuthTally::kStatusGreen;
    std::uint32_t m_seenStatusWrites = 0;

    IrregularRuns m_runs;   // what the tally counted, with the player's times
    RunWalk m_walk;
    // Where a stopped reader stands: where the window last sent it. Its published position
    // then still names the last record it read (after a load, the header's: the end).
    std::int64_t m_standMs = 0;
    std::unique_ptr<IrregularRunsModel> m_runsModel;
    CIrregularBlocksDlg* m_blocksDlg = nullptr;

    QTimer m_timer1;   // playback tick, one block long
    QTimer m_timer2;   // authentication tick, 10 ms
    unsigned m_authTicks = 0;

    QHash<int, QWidget*> m_items;
    QHash<int, QAction*> m_commands;
    QLabel* m_date = nullptr;
    CWaveView* m_waveView = nullptr;
    CTimeLine* m_timeLine = nullptr;
    CDecryptBar* m_decryptBar = nullptr;
    CText* m_status = nullptr;
    CImageButton* m_btnBackTrack = nullptr;
    CImageButton* m_btnPlay = nullptr;
    CImageButton* m_btnPause = nullptr;
    CImageButton* m_btnStop = nullptr;
    CImageStatic* m_headerIcon = nullptr;
    CImageStatic* m_lengthIcon = nullptr;
    QSlider* m_slider = nullptr;
    QCheckBox* m_boost = nullptr;
};

}  // namespace tvx::app
