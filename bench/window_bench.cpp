// window_bench load|authenticate IMAGE: the main window's own timings, for window_vs_cli.sh.
//   load          LoadRecording (the peaks pass, the reader's open, the strip) in seconds
//   authenticate  "&Authenticate" until its last tick, and the CPU time the process and the
//                 window's thread spent meanwhile; a 10 ms probe timer on that thread measures how long the
//                 event loop ever went without turning;
//                 then a second run cancelled a fifth of the way through, and how long the
//                 Cancel took to close the wait window
#include "app/dialog_template.h"
#include "app/sable_player_dlg.h"
#include "app/wait_dlg.h"
#include "audio/sdl_backend.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/resource.h>

using namespace tvx::app;

namespace {

// Records the longest gap between the ticks of a 10 ms timer: how long input would wait.
class Probe {
public:
    Probe() {
        m_timer.callOnTimeout([this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_maxGapNs = std::max(m_maxGapNs, now - m_last);
            m_last = now;
            ++m_ticks;
        });
        m_clock.start();
        m_timer.start(10);
    }
    double MaxGapMs() const { return static_cast<double>(m_maxGapNs) / 1e6; }
    long Ticks() const { return m_ticks; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_maxGapNs = 0;
    long m_ticks = 0;
};

// CPU time this thread (the window's) has used, in seconds.
double WindowThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// CPU time the whole process (the window's thread and the reader's worker) has used.
double ProcessCpu() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

QAbstractButton* CancelButton(CWaitDlg& wait) {
    for (QAbstractButton* b : wait.findChildren<QAbstractButton*>())
        if (b->property("controlId").toInt() == CWaitDlg::kIdCancel)
            return b;
    return nullptr;
}

void RunUntilFinished(CSablePlayerDlg& window) {
    while (window.IsAuthenticationTimerActive())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3 || (std::strcmp(argv[1], "load") != 0 && std::strcmp(argv[1], "authenticate") != 0)) {
        std::fprintf(stderr, "usage: window_bench load|authenticate IMAGE\n");
        return 2;
    }
    CSablePlayerDlg window(PlayersWith(tvx::MakeSdlBackend));
    window.show();
    QApplication::processEvents();
    const QString image = QString::fromLocal8Bit(argv[2]);

    QElapsedTimer clock;
    clock.start();
    if (!window.LoadRecording(image)) {
        std::fprintf(stderr, "window_bench: could not load %s\n", argv[2]);
        return 1;
    }
    if (std::strcmp(argv[1], "load") == 0) {
        std::printf("load_s %.3f\n", static_cast<double>(clock.nsecsElapsed()) / 1e9);
        return 0;
    }

    {
        Probe probe;
        const double cpuBefore = WindowThreadCpu();
        const double processBefore = ProcessCpu();
        clock.restart();
        window.OnAuthenticationCommand();
        RunUntilFinished(window);
        std::printf("authenticate_s %.3f\nprocess_cpu_s %.3f\nwindow_thread_cpu_s %.3f\n"
                    "probe_ticks %ld\nmax_loop_gap_ms %.1f\n",
                    static_cast<double>(clock.nsecsElapsed()) / 1e9, ProcessCpu() - processBefore,
                    WindowThreadCpu() - cpuBefore, probe.Ticks(), probe.MaxGapMs());
    }

    const std::int64_t total = window.Player()->TotalMs();
    window.OnAuthenticationCommand();
    CWaitDlg& wait = window.WaitDlg();
    while (window.IsAuthenticationTimerActive() && wait.Pos() < total / 5)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    clock.restart();
    if (QAbstractButton* cancel = CancelButton(wait))
        cancel->click();
    RunUntilFinished(window);
    std::printf("cancel_ms %.1f\ncancelled_at_percent %.0f\n",
                static_cast<double>(clock.nsecsElapsed()) / 1e6,
                100.0 * wait.Pos() / static_cast<double>(std::max<std::int64_t>(total, 1)));
    return 0;
}
