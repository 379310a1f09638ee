// The WAV writer reopening a file that exists: its 44-byte header is taken as found, however
// hostile, measured, restamped and patched on close; with read and write access and with
// write access alone.

#include "core/bytes.h"
#include "export/file_wave.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <vector>

using namespace tvx;

namespace {

void Reopen(const fuzz::Scratch& scratch, std::span<const std::uint8_t> bytes,
            std::uint32_t access) {
    const std::string path = scratch.Write("F00012.00.wav", bytes);
    CFileWave wave;
    CFileException failure;
    if (!wave.Open(path, access, kShareRead | kShareWrite, kOpenExisting, &failure)) {
        TVX_FUZZ_CHECK(!wave.IsOpen());
        return;
    }
    // A file longer than a header keeps the header it has; a shorter one gets the default.
    if (bytes.size() > kWaveHeaderSize)
        TVX_FUZZ_CHECK(std::equal(wave.Header().begin(), wave.Header().end(), bytes.begin()));
    else
        TVX_FUZZ_CHECK(wave.Header() == DefaultWaveHeader());
    (void)wave.GetWholeSeconds();
    (void)wave.GetDurationSeconds();

    // The input's tail is the audio written after the header; half of it, then the format
    // the input's first bytes name, then the rest to the end.
    const std::span<const std::uint8_t> audio =
        bytes.subspan(std::min<std::size_t>(bytes.size(), kWaveHeaderSize));
    const std::size_t half = audio.size() / 2;
    wave.Write(audio.data(), static_cast<std::uint32_t>(half));
    if (bytes.size() >= 8) {
        wave.SetFormat(LoadLe32(bytes, 0), LoadLe16(bytes, 4), LoadLe16(bytes, 6));
        TVX_FUZZ_CHECK(LoadLe32(wave.Header(), 24) == LoadLe32(bytes, 0));
    }
    wave.WriteAndSetEnd(audio.data() + half, static_cast<std::uint32_t>(audio.size() - half));
    (void)wave.GetDurationSeconds();
    wave.Close();

    const std::vector<std::uint8_t> written = fuzz::ReadFile(path);
    TVX_FUZZ_CHECK(written.size() == kWaveHeaderSize + audio.size());
    TVX_FUZZ_CHECK(LoadLe32(written, 4) == written.size() - 8);
    TVX_FUZZ_CHECK(LoadLe32(written, 40) == audio.size());
    TVX_FUZZ_CHECK(std::equal(audio.begin(), audio.end(), written.begin() + kWaveHeaderSize));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Scratch scratch;
    const std::span<const std::uint8_t> bytes(data, size);
    Reopen(scratch, bytes, kGenericRead | kGenericWrite);
    Reopen(scratch, bytes, kGenericWrite);
    return 0;
}
