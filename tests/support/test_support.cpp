#include "test_support.h"

#include "synth/image_reading.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>

namespace tvx::test {

TempDir::TempDir() : m_path((std::filesystem::temp_directory_path() / "tvx-XXXXXX").string()) {
    if (::mkdtemp(m_path.data()) == nullptr)
        ADD_FAILURE() << "cannot create a temporary folder: " << std::strerror(errno);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> DecodeAll(const std::vector<std::uint8_t>& image) {
    std::vector<std::uint8_t> all;
    synth::DecodeImage(image, all);
    return all;
}

std::vector<std::uint8_t> ImgAudio(const synth::ImgOptions& o, std::uint32_t first, std::uint32_t last) {
    std::vector<std::uint8_t> out;
    for (std::uint32_t n = first; n <= last; ++n) {
        const std::vector<std::uint8_t> samples = synth::ImgSamples(o, n);
        out.insert(out.end(), samples.begin(), samples.end());
    }
    return out;
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', from)) {
        lines.push_back(text.substr(from, lf - from));
        from = lf + 1;
    }
    return lines;
}

void RecordingHooks::ShowProgress(bool visible) {
    calls.push_back(visible ? "Show" : "Hide");
    if (visible && onShow)
        onShow();
}

bool RecordingHooks::IsCancelled() {
    ++polls;
    const bool cancel = cancelWhen && cancelWhen(polls);
    calls.push_back(cancel ? "Cancelled" : "Poll");
    return cancel;
}

bool RecordingHooks::AskYesNo(const std::string& caption, const std::string& text) {
    ++questions;
    calls.push_back("Ask(" + caption + "|" + text + ")");
    return answer;
}

bool RecordingHooks::PumpWaitingMessage() {
    ++pumps;
    calls.push_back("Pump");
    return true;
}

void RecordingHooks::Notice(const std::string&, const std::string& text) {
    const std::lock_guard lock(m_lock);
    m_notices.push_back(text);
}

std::vector<std::string> RecordingHooks::Notices() const {
    const std::lock_guard lock(m_lock);
    return m_notices;
}

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    m_oldSoft = limit.rlim_cur;
    limit.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        ADD_FAILURE() << "cannot limit the file size: " << std::strerror(errno);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = m_oldSoft;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

}  // namespace tvx::test
