// The IMG reader's own requests to its worker; the ones every reader takes are shared
// (ReaderRequests). Only an open and a pending seek wait for the worker.
#include "formats/img/img.h"

#include "formats/img/img_worker.h"

#include <memory>

namespace tvx {

CImg::CImg(const PlaybackSetup& setup) {
    // The worker works on its own copy of the record state and hands it over at an open.
    StartWorker(
        setup, this,
        [image = std::make_shared<CImg>(*this)](ImgCommand& command) {
            ImgWorker worker(command, *image);
            worker.Run();
        },
        WorkerThread::Priority::Normal);
}

CImg::~CImg() { StopWorker(); }

bool CImg::Open(const std::string& path) {
    if (!m_command)
        return false;
    SendOpen(path);
    m_command->m_bScan.store(false);
    return AwaitOpen();
}

void CImg::Close() {
    if (!m_command)
        return;
    m_command->m_bOpen.store(false);
    SendOpen({});
}

void CImg::SeekToTime(std::int32_t ms) {
    if (!m_command)
        return;
    AwaitSeekSlot();
    // Value first, flag second: the worker never pairs the flag with an old target.
    m_command->m_nSeekTarget.store(RecordAtTime(ms));
    m_command->Ask(m_command->m_bSeekReq);
}

void CImg::SetRecordCallback(RecordCallback callback) {
    if (m_command)
        m_command->m_pfnRecord.store(callback);
}

void CImg::SetGain(double gain) {
    if (!SendGain(gain))
        m_dGain = gain;
}

}  // namespace tvx
