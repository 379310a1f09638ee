#include "core/im2_worker.h"

#include "core/bytes.h"
#include "core/model_table.h"
#include "core/scan_pieces.h"

#include <chrono>
#include <exception>
#include <thread>

namespace tvx {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kIdleSleep{100};
// While the last audio drains nothing else needs the worker; a short sleep keeps it cheap.
constexpr milliseconds kDrainSleep{10};

}  // namespace

Im2Worker::Im2Worker(Im2Command& command, CIm2& image) : m_cmd(command), m_reader(image) {}

Im2Worker::~Im2Worker() = default;

std::uint32_t Im2Worker::ReadFull(CFile64& file, void* to, std::uint32_t count) {
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

void Im2Worker::Run() {
    while (!m_cmd.QuitRequested()) {
        try {
            Cycle();
        } catch (const CFileException&) {
            DropFile();   // a disk pulled mid-play: drop the file, live on
        } catch (const std::exception&) {
            DropFile();   // nothing may leave the thread
        }
    }
    CloseImage();
    if (m_wave) {
        m_wave->Reset();
        m_wave.reset();
    }
}

void Im2Worker::Cycle() {
    if (m_cmd.m_bOpenReq.load())
        TakeOpenRequest();
    if (!IsImageOpen()) {
        ForgetRequests();
        std::this_thread::sleep_for(kIdleSleep);
        return;
    }
    if (m_cmd.m_nPlayState.load() == kPlaying)
        PlayStep();
    else
        std::this_thread::sleep_for(kIdleSleep);
    if (m_cmd.m_bScan.load())
        ScanImage();
    if (m_cmd.m_bStopReq.load()) {
        ResetDevice();
        StopAtStart();
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
        SeekToBlock(m_cmd.m_nSeekBlock.load());
        Done(m_cmd.m_bSeekReq);
    }
    if (m_cmd.m_bResetReq.load()) {
        if (m_wave)
            m_wave->Reset();
        Done(m_cmd.m_bResetReq);
    }
    if (m_cmd.m_bRewindReq.load()) {
        ReportHeader();
        Done(m_cmd.m_bRewindReq);
    }
    Publish();
}

void Im2Worker::Done(std::atomic<bool>& request) {
    Publish();   // whoever waits on the request sees the state it left
    request.store(false);
}

void Im2Worker::TakeOpenRequest() {
    CloseImage();
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
        if (!open)
            CloseImage();
    }
    if (open) {
        MakeDevice();
        m_wave->SetFormat(static_cast<std::uint32_t>(m_reader.m_nSampleRate),
                          static_cast<std::uint16_t>(m_reader.m_nOutputBits),
                          static_cast<std::uint16_t>(m_reader.m_nChannels));
        m_reader.m_nQueuedMs = 0;
        ForgetUnit();
    }
    m_cmd.m_owner.With([this](CIm2& reader) { HandOver(reader); });
    m_cmd.m_bOpen.store(open);
    Done(m_cmd.m_bOpenReq);
}

void Im2Worker::MakeDevice() {
    if (!m_wave)
        m_wave = MakeWavePlay(m_cmd.m_setup, [this] { return OutputWillBeReset(); });
}

// Asked on this thread while a write waits for the device. A seek past the end is dropped
// without a reset, so it must not cost the audio of a block already judged.
bool Im2Worker::OutputWillBeReset() const {
    if (m_cmd.OutputWillBeReset())
        return true;
    try {
        return m_cmd.m_bSeekReq.load() && SeekLands(m_cmd.m_nSeekBlock.load());
    } catch (const CFileException&) {
        return true;   // the file is failing: the cycle will drop it, and the sound with it
    }
}

bool Im2Worker::SeekLands(std::uint64_t target) const {
    const std::uint64_t length = m_file.GetLength();
    return target < length / kRecordSize && (target + 1) * kRecordSize < length;
}

bool Im2Worker::OpenImage(const std::string& path) {
    CFileException failure;
    if (!m_file.Open(path, kGenericRead, kShareRead, kOpenExisting, &failure))
        return false;
    Record header{};
    ReadFull(m_file, header.data(), kRecordSize);
    m_reader.m_block = header;
    m_reader.InitFromHeader();
    m_reader.m_bHeaderBad = m_reader.IsHeaderBad();
    m_reader.SetFileLength(m_file.GetLength());
    // The play time reads 0 until the first block is played.
    StoreLe32(m_reader.m_block, kOffBlockIndex, 0);
    m_reader.m_nBlock = 0;
    return true;
}

void Im2Worker::CloseImage() { m_file.Abort(); }

bool Im2Worker::ReadPlayBlock() {
    return ReadFull(m_file, m_reader.m_block.data(), kRecordSize) == kRecordSize;
}

void Im2Worker::ReturnToStart() {
    m_file.SeekTo(kRecordSize);
    ReadFull(m_file, m_reader.m_block.data(), kRecordSize);
    m_file.SeekTo(kRecordSize);
    m_reader.m_nBlock = 0;
}

void Im2Worker::SeekToBlock(std::uint64_t target) {
    if (!SeekLands(target))
        return;
    const std::uint64_t at = (target + 1) * kRecordSize;
    m_file.SeekTo(at);
    ReadFull(m_file, m_reader.m_block.data(), kRecordSize);
    m_reader.m_nBlock = static_cast<std::uint32_t>(target);
    m_file.SeekTo(at);
    ResetDevice();
}

void Im2Worker::ReportHeader() {
    m_file.SeekTo(0);
    ReadFull(m_file, m_reader.m_block.data(), kRecordSize);
    Report(-1, m_reader.CheckBuffered(true));
}

void Im2Worker::ScanImage() {
    ReportHeader();
    m_reader.m_nBlock = 0;
    ScanPieces pieces(m_file);
    for (;;) {
        const std::span<const std::uint8_t> piece = pieces.Next();
        if (piece.empty())
            break;
        // A stop drops the piece just read; the file and the counter stay where they are.
        if (!ScanGoesOn()) {
            pieces.Settle();
            return Publish();
        }
        for (std::size_t at = 0; at + kRecordSize <= piece.size(); at += kRecordSize) {
            std::copy_n(piece.begin() + static_cast<std::ptrdiff_t>(at), kRecordSize,
                        m_reader.m_block.begin());
            Report(static_cast<std::int32_t>(m_reader.m_nBlock), m_reader.CheckBlock());
            m_reader.NextBlock();
        }
        Publish();
    }
    m_file.SeekTo(kRecordSize);
    m_reader.m_nBlock = 0;
    Done(m_cmd.m_bScan);
}

bool Im2Worker::ScanGoesOn() const { return m_cmd.m_bScan.load() && !m_cmd.QuitRequested(); }

void Im2Worker::PlayStep() {
    if (!ReadPlayBlock()) {
        // The end: once everything queued has been heard, back to the first block, stopped.
        RefreshQueued();
        if (m_reader.m_nQueuedMs != 0) {
            std::this_thread::sleep_for(kDrainSleep);
            return;
        }
        ReturnToStart();
        m_reader.m_nQueuedMs = 0;
        m_cmd.m_nPlayState.store(kPlayStopped);
        return;
    }
    RefreshQueued();
    m_reader.m_dGain = m_cmd.m_gain.load();
    std::uint16_t count = 0;
    const BlockStatus status = m_reader.Decode(m_decoded, &count);
    NoteUnit();
    Report(IndexOf(m_reader.m_nBlock), status);
    m_reader.NextBlock();
    RefreshQueued();
    Publish();
    m_wave->Write(m_decoded.data(), count);
    RefreshQueued();
}

void Im2Worker::NoteUnit() {
    const RecordView block = m_reader.m_block;
    const std::uint32_t key = std::uint32_t{ModelCodeOf(block)} << 16 | UnitNumberOf(block);
    if (key == m_unitKey)
        return;
    m_unitKey = key;
    m_reader.m_strUnitId = FormatUnitId(ModelCodeOf(block), UnitNumberOf(block));
    m_cmd.PublishUnitId(m_reader.m_strUnitId);
}

void Im2Worker::ForgetUnit() {
    m_unitKey = ~0u;
    m_cmd.PublishUnitId(m_reader.m_strUnitId);
}

void Im2Worker::RefreshQueued() {
    m_reader.m_nQueuedMs = m_wave ? m_wave->GetQueuedMilliseconds() : 0;
    m_cmd.m_published.queuedMs.store(m_reader.m_nQueuedMs);
}

void Im2Worker::ResetDevice() {
    if (m_wave)
        m_wave->Reset();
    m_reader.m_nQueuedMs = 0;
}

void Im2Worker::Report(std::int32_t index, BlockStatus status) const {
    if (const BlockCallback callback = m_cmd.m_pfnBlock.load())
        callback(index, status);
}

void Im2Worker::Publish() {
    Im2Command::Published& p = m_cmd.m_published;
    p.block.store(m_reader.m_nBlock);
    p.bufferedIndex.store(BlockIndexOf(m_reader.m_block));
    p.bufferedTimestamp.store(TimestampOf(m_reader.m_block));
    p.queuedMs.store(m_reader.m_nQueuedMs);
}

void Im2Worker::ForgetRequests() {
    m_cmd.m_nPlayState.store(kPlayStopped);
    for (std::atomic<bool>* request :
         {&m_cmd.m_bStopReq, &m_cmd.m_bPauseReq, &m_cmd.m_bResumeReq, &m_cmd.m_bSeekReq,
          &m_cmd.m_bResetReq, &m_cmd.m_bRewindReq})
        request->store(false);
    m_reader.m_nBlock = 0;
    Publish();
}

void Im2Worker::DropFile() {
    CloseImage();
    if (m_wave)
        m_wave->Reset();
    m_reader.m_nQueuedMs = 0;
    m_cmd.m_nPlayState.store(kPlayStopped);
    m_cmd.m_bScan.store(false);
    m_cmd.m_bOpen.store(false);
    Publish();
}

}  // namespace tvx
