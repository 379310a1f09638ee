#include "play/reader_worker.h"

#include <exception>
#include <thread>

namespace tvx {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kNoFileSleep{100};
// While the last audio drains nothing else needs the worker; a short sleep keeps it cheap.
constexpr milliseconds kDrainSleep{10};

}  // namespace

ReaderWorker::ReaderWorker(ReaderCommand& command, milliseconds idleSleep)
    : m_requests(command), m_idleSleep(idleSleep) {}

ReaderWorker::~ReaderWorker() = default;

void ReaderWorker::Run() {
    while (!m_requests.QuitRequested()) {
        try {
            Cycle();
        } catch (const CFileException&) {
            DropFile();   // a disk pulled mid-play: drop the file, live on
        } catch (const std::exception&) {
            DropFile();   // nothing may leave the thread
        }
    }
    CloseImage();
    DropDevice();
}

void ReaderWorker::Cycle() {
    ReaderCommand& cmd = m_requests;
    if (cmd.m_bOpenReq.load())
        TakeOpenRequest();
    if (!IsImageOpen()) {
        ForgetRequests();
        cmd.SleepUnlessWoken(kNoFileSleep);
        return;
    }
    if (cmd.m_nPlayState.load() == kPlaying)
        PlayStep();
    else
        cmd.SleepUnlessWoken(m_idleSleep);
    if (cmd.m_bScan.load())
        ScanImage();
    if (cmd.m_bStopReq.load()) {
        ResetDevice();
        StopAtStart();
        Done(cmd.m_bStopReq);
    }
    if (cmd.m_bPauseReq.load()) {
        if (m_wave)
            m_wave->Pause();
        cmd.m_nPlayState.store(kPlayPaused);
        Done(cmd.m_bPauseReq);
    }
    if (cmd.m_bResumeReq.load()) {
        if (m_wave)
            m_wave->Restart();
        cmd.m_nPlayState.store(kPlaying);
        Done(cmd.m_bResumeReq);
    }
    if (cmd.m_bSeekReq.load()) {
        TakeSeek();
        Done(cmd.m_bSeekReq);
    }
    if (cmd.m_bResetReq.load()) {
        if (m_wave)
            m_wave->Reset();
        Done(cmd.m_bResetReq);
    }
    TakeOwnRequests();
    Publish();
}

void ReaderWorker::Done(std::atomic<bool>& request) {
    Publish();   // whoever waits on the request sees the state it left
    request.store(false);
}

void ReaderWorker::TakeOpenRequest() {
    CloseImage();
    const std::string path = m_requests.GetPath();
    bool open = false;
    if (path.empty()) {
        DropDevice();
    } else {
        try {
            open = OpenImage(path);
        } catch (const CFileException&) {
            open = false;
        }
        if (!open) {
            CloseImage();
            OpenFailed(path);
        }
    }
    if (open) {
        MakeDevice();
        const DeviceFormat format = FormatOfDevice();
        m_wave->SetFormat(format.sampleRate, format.bits, format.channels);
        m_queuedMs = 0;
        Opened();
    }
    HandOver();
    m_requests.m_bOpen.store(open);
    Done(m_requests.m_bOpenReq);
}

void ReaderWorker::MakeDevice() {
    if (!m_wave)
        m_wave = MakeWavePlay(m_requests.m_setup, [this] { return OutputWillBeReset(); });
}

void ReaderWorker::DropDevice() {
    if (!m_wave)
        return;
    m_wave->Reset();
    m_wave.reset();
}

// Asked on this thread while a write waits for the device. A seek past the end is dropped
// without a reset, so it must not cost the audio of a block already judged.
bool ReaderWorker::OutputWillBeReset() const {
    if (m_requests.OutputWillBeReset())
        return true;
    try {
        return m_requests.m_bSeekReq.load() && PendingSeekLands();
    } catch (const CFileException&) {
        return true;   // the file is failing: the cycle will drop it, and the sound with it
    }
}

bool ReaderWorker::ScanGoesOn() const {
    return m_requests.m_bScan.load() && !m_requests.QuitRequested();
}

void ReaderWorker::PlayStep() {
    if (!ReadPlayBlock()) {
        // The end: once everything queued has been heard, back to the first block, stopped.
        RefreshQueued();
        if (m_queuedMs != 0) {
            std::this_thread::sleep_for(kDrainSleep);
            return;
        }
        ReturnToStart();
        m_queuedMs = 0;
        m_requests.m_nPlayState.store(kPlayStopped);
        return;
    }
    RefreshQueued();
    const std::span<const std::uint8_t> samples = DecodePlayBlock(m_requests.m_gain.load());
    RefreshQueued();
    Publish();
    m_wave->Write(samples.data(), static_cast<std::int32_t>(samples.size()));
    RefreshQueued();
}

void ReaderWorker::RefreshQueued() {
    m_queuedMs = m_wave ? m_wave->GetQueuedMilliseconds() : 0;
    m_requests.m_queuedMs.store(m_queuedMs);
}

void ReaderWorker::ResetDevice() {
    if (m_wave)
        m_wave->Reset();
    m_queuedMs = 0;
}

void ReaderWorker::Publish() {
    PublishState();
    m_requests.m_queuedMs.store(m_queuedMs);
}

void ReaderWorker::ForgetRequests() {
    ReaderCommand& cmd = m_requests;
    cmd.m_nPlayState.store(kPlayStopped);
    for (std::atomic<bool>* request : {&cmd.m_bStopReq, &cmd.m_bPauseReq, &cmd.m_bResumeReq,
                                       &cmd.m_bSeekReq, &cmd.m_bResetReq})
        request->store(false);
    ForgetOwnRequests();
    Publish();
}

void ReaderWorker::DropFile() {
    CloseImage();
    if (m_wave)
        m_wave->Reset();
    m_queuedMs = 0;
    m_requests.m_nPlayState.store(kPlayStopped);
    m_requests.m_bScan.store(false);
    m_requests.m_bOpen.store(false);
    Publish();
}

}  // namespace tvx
