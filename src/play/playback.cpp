#include "play/playback.h"

#include "audio/wave_play.h"
#include "core/hooks.h"
#include "play/reader_command.h"

#include <chrono>
#include <thread>

namespace tvx {

std::unique_ptr<CWavePlay> MakeWavePlay(const PlaybackSetup& setup,
                                        std::function<bool()> interrupted) {
    CWavePlay::NoticeFn notice;
    if (setup.hooks != nullptr)
        notice = [hooks = setup.hooks](const std::string& text) { hooks->Notice("", text); };
    auto wave = std::make_unique<CWavePlay>(setup.makeBackend ? setup.makeBackend() : nullptr,
                                            std::move(notice));
    wave->SetInterrupt(std::move(interrupted));
    return wave;
}

void WaitUntilClear(const std::atomic<bool>& request, const WorkerThread& worker) {
    while (request.load() && worker.IsRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace tvx
