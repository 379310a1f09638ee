#pragma once

#include "core/hooks.h"
#include "synth/img_synth.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tvx::test {

// Waits for something another thread brings about. The deadline only ends a hang: nothing
// here depends on how fast the machine is.
template <typename Pred>
bool Eventually(Pred pred, std::chrono::seconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (; !pred(); std::this_thread::sleep_for(std::chrono::milliseconds(2)))
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}

// A fresh folder under TMPDIR, removed with it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::vector<std::uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
std::vector<std::string> FolderEntries(const std::string& folder);   // sorted names

// The decoded bytes of every whole data record of an IM2 image, straight from the core decoder.
std::vector<std::uint8_t> DecodeAll(const std::vector<std::uint8_t>& image);

// The samples of IMG records first..last of an image of `o`.
std::vector<std::uint8_t> ImgAudio(const synth::ImgOptions& o, std::uint32_t first, std::uint32_t last);

// Lines split at LF, each keeping what stood before its LF (so a CR CR LF line ends in "\r").
std::vector<std::string> LinesOf(const std::string& text);

// Every hook call in order, and the notices apart (a reader's worker gives them on its own
// thread); the answer and Cancel are scripted.
class RecordingHooks : public Hooks {
public:
    explicit RecordingHooks(std::function<bool(int polls)> cancel = {}) : cancelWhen(std::move(cancel)) {}
    bool answer = false;
    std::function<bool(int polls)> cancelWhen;   // asked at every IsCancelled
    std::function<void()> onShow;                 // runs as the progress shows, before any file
    std::vector<std::string> calls;
    int pumps = 0, polls = 0, questions = 0;

    void SetMessage(const std::string& text) override { calls.push_back("SetMessage(" + text + ")"); }
    void SetRange(int upper) override { calls.push_back("SetRange(" + std::to_string(upper) + ")"); }
    void SetPos(int position) override { calls.push_back("SetPos(" + std::to_string(position) + ")"); }
    void ShowProgress(bool visible) override;
    void BeginWaitCursor() override { calls.push_back("Wait"); }
    void EndWaitCursor() override { calls.push_back("EndWait"); }
    bool IsCancelled() override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    bool PumpWaitingMessage() override;
    void Notice(const std::string& caption, const std::string& text) override;
    std::vector<std::string> Notices() const;

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_notices;
};

// Caps the size of every file this process writes, so writing past it fails as on a full
// disk (EFBIG, its signal ignored) until the end of the scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();

private:
    std::uint64_t m_oldSoft = 0;
};

}  // namespace tvx::test
