#include "readers/img_worker.h"

#include "core/bytes.h"
#include "core/hooks.h"
#include "core/scan_pieces.h"

#include <chrono>
#include <exception>
#include <thread>

namespace tvx {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kNoFileSleep{100};
constexpr milliseconds kIdleSleep{10};
constexpr milliseconds kDrainSleep{10};

std::uint32_t ReadFull(CFile64& file, void* to, std::uint32_t count) {
    auto* at = static_cast<std::uint8_t*>(to);
    std::uint32_t got = 0;
    while (got < count) {
        const std::uint32_t n = file.Read(at + got, count - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

}  // namespace

ImgWorker::ImgWorker(ImgCommand& command, CImg& image) : m_cmd(command), m_img(image) {}

void ImgWorker::Run() {
    while (!m_cmd.QuitRequested()) {
        try {
            Cycle();
        } catch (const CFileException&) {
            DropFile();   // a disk pulled mid-play: drop the file, live on
        } catch (const std::exception&) {
            DropFile();   // nothing may leave the thread
        }
    }
    m_file.Abort();
    if (m_wave) {
        m_wave->Reset();
        m_wave.reset();
    }
}

void ImgWorker::Cycle() {
    if (m_cmd.m_bOpenReq.load())
        TakeOpenRequest();
    if (!m_file.IsOpen()) {
        ForgetRequests();
        std::this_thread::sleep_for(kNoFileSleep);
        return;
    }
    if (m_cmd.m_nPlayState.load() == kPlaying)
        PlayStep();
    else
        std::this_thread::sleep_for(kIdleSleep);
    if (m_cmd.m_bScan.load())
        Scan();
    if (m_cmd.m_bStopReq.load()) {
        ResetDevice();
        BackToFirst();
        Done(m_cmd.m_bStopReq);
    }
    if (m_cmd.m_bPauseReq.load()) {
        if (m_wave)
            m_wave->Pause();
        m_cmd.m_nPlayState.store(kPlayPaused);
        Done(m_cmd.m_bPauseReq);
    }
    if (m_cmd.m_bResumeReq.load()) {
        if (m_wave)
            m_wave->Restart();
        m_cmd.m_nPlayState.store(kPlaying);
        Done(m_cmd.m_bResumeReq);
    }
    if (m_cmd.m_bSeekReq.load()) {
        SeekToRecord(m_cmd.m_nSeekTarget.load());
        Done(m_cmd.m_bSeekReq);
    }
    if (m_cmd.m_bResetReq.load()) {
        if (m_wave)
            m_wave->Reset();
        Done(m_cmd.m_bResetReq);
    }
    if (m_cmd.m_bSpareReq.load())
        Done(m_cmd.m_bSpareReq);
    Publish();
}

void ImgWorker::Done(std::atomic<bool>& request) {
    Publish();
    request.store(false);
}

void ImgWorker::TakeOpenRequest() {
    m_file.Abort();
    const std::string path = m_cmd.GetPath();
    bool open = false;
    if (path.empty()) {
        if (m_wave) {
            m_wave->Reset();
            m_wave.reset();
        }
    } else {
        try {
            open = OpenImage(path);
        } catch (const CFileException&) {
            open = false;
        }
        if (!open) {
            m_file.Abort();
            if (Hooks* hooks = m_cmd.m_setup.hooks)
                hooks->Notice("", "Failed to open: " + path);
        }
    }
    m_cmd.m_owner.With([this](CImg& reader) { reader = m_img; });
    m_cmd.m_bFileOpen.store(open);
    Done(m_cmd.m_bOpenReq);
}

bool ImgWorker::OpenImage(const std::string& path) {
    CFileException failure;
    if (!m_file.Open(path, kGenericRead, kShareRead, kOpenExisting, &failure))
        return false;
    if (!m_wave)
        m_wave = MakeWavePlay(m_cmd.m_setup, [this] { return OutputWillBeReset(); });
    Record first{};
    ReadFull(m_file, first.data(), kRecordSize);
    m_img.m_record = first;
    m_file.SeekTo(0);
    m_img.ParseReference();
    m_img.m_nRecordCount = m_img.CountRecords(m_file);
    m_wave->SetFormat(m_img.m_nSampleRate, 8, 1);
    // The play time reads 0 until the first record is played.
    StoreLe32(m_img.m_record, kImgOffBlockNumber, 0);
    m_img.m_nQueuedMs = 0;
    m_img.m_nRecordCounter = 1;
    return true;
}

void ImgWorker::PlayStep() {
    if (m_file.GetPosition() >= AudioEnd() ||
        ReadFull(m_file, m_img.m_record.data(), kRecordSize) != kRecordSize) {
        // The end: once everything queued has been heard, back to record 1, stopped.
        RefreshQueued();
        if (m_img.m_nQueuedMs != 0) {
            std::this_thread::sleep_for(kDrainSleep);
            return;
        }
        BackToFirst();
        m_img.m_nQueuedMs = 0;
        m_cmd.m_nPlayState.store(kPlayStopped);
        return;
    }
    RefreshQueued();
    m_img.m_dGain = m_cmd.m_gain.load();
    std::uint16_t count = 0;
    const BlockStatus flags = m_img.DecodeRecord(m_samples, &count);
    Report(m_img.m_nRecordCounter - 1, flags);
    ++m_img.m_nRecordCounter;
    RefreshQueued();
    Publish();
    m_wave->Write(m_samples.data(), count);
    RefreshQueued();
}

void ImgWorker::Scan() {
    m_file.SeekTo(0);
    m_img.m_nRecordCounter = 1;
    std::uint64_t offset = 0;
    ScanPieces pieces(m_file);
    // A stop takes effect before the next piece; the file and the counter stay where they are.
    while (m_cmd.m_bScan.load() && !m_cmd.QuitRequested()) {
        const std::span<const std::uint8_t> piece = pieces.Next();
        if (piece.empty()) {
            m_file.SeekTo(0);
            m_img.m_nRecordCounter = 1;
            return Done(m_cmd.m_bScan);
        }
        // Whole records only, and none of the erased tail.
        for (std::size_t at = 0; at + kRecordSize <= piece.size(); at += kRecordSize) {
            if (offset + at >= AudioEnd())
                break;
            std::copy_n(piece.begin() + static_cast<std::ptrdiff_t>(at), kRecordSize,
                        m_img.m_record.begin());
            Report(m_img.m_nRecordCounter - 1, m_img.CheckRecord());
            ++m_img.m_nRecordCounter;
        }
        offset += piece.size();
        Publish();
    }
    pieces.Settle();
}

void ImgWorker::BackToFirst() {
    m_file.SeekTo(0);
    ReadFull(m_file, m_img.m_record.data(), kRecordSize);
    m_file.SeekTo(0);
    m_img.m_nRecordCounter = 1;
}

bool ImgWorker::SeekLands(std::uint32_t target) const {
    // No record 0: nothing lies there.
    return target != 0 && (std::uint64_t{target} - 1) * kRecordSize < m_file.GetLength();
}

// Asked on this thread while a write waits for the device. A seek past the end is dropped
// without a reset, so it must not cost the audio of a record already judged.
bool ImgWorker::OutputWillBeReset() const {
    if (m_cmd.OutputWillBeReset())
        return true;
    try {
        return m_cmd.m_bSeekReq.load() && SeekLands(m_cmd.m_nSeekTarget.load());
    } catch (const CFileException&) {
        return true;   // the file is failing: the cycle will drop it, and the sound with it
    }
}

void ImgWorker::SeekToRecord(std::uint32_t target) {
    if (!SeekLands(target))
        return;
    const std::uint64_t at = (std::uint64_t{target} - 1) * kRecordSize;
    m_file.SeekTo(at);
    ReadFull(m_file, m_img.m_record.data(), kRecordSize);
    m_file.SeekTo(at);
    m_img.m_nRecordCounter = target;
    ResetDevice();
}

void ImgWorker::ResetDevice() {
    if (m_wave)
        m_wave->Reset();
    m_img.m_nQueuedMs = 0;
}

void ImgWorker::RefreshQueued() {
    m_img.m_nQueuedMs = m_wave ? m_wave->GetQueuedMilliseconds() : 0;
    m_cmd.m_published.queuedMs.store(m_img.m_nQueuedMs);
}

void ImgWorker::Report(std::uint32_t index, std::uint32_t flags) const {
    if (const RecordCallback callback = m_cmd.m_pfnRecord.load())
        callback(index, flags);
}

void ImgWorker::Publish() {
    ImgCommand::Published& p = m_cmd.m_published;
    p.counter.store(m_img.m_nRecordCounter);
    p.bufferedNumber.store(LoadLe32(m_img.m_record, kImgOffBlockNumber));
    p.queuedMs.store(m_img.m_nQueuedMs);
}

void ImgWorker::ForgetRequests() {
    m_cmd.m_nPlayState.store(kPlayStopped);
    for (std::atomic<bool>* request :
         {&m_cmd.m_bPauseReq, &m_cmd.m_bResumeReq, &m_cmd.m_bStopReq, &m_cmd.m_bSeekReq,
          &m_cmd.m_bResetReq, &m_cmd.m_bSpareReq})
        request->store(false);
    Publish();
}

void ImgWorker::DropFile() {
    m_file.Abort();
    if (m_wave)
        m_wave->Reset();
    m_img.m_nQueuedMs = 0;
    m_cmd.m_nPlayState.store(kPlayStopped);
    m_cmd.m_bScan.store(false);
    m_cmd.m_bFileOpen.store(false);
    Publish();
}

}  // namespace tvx
