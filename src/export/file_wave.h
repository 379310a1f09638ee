#pragma once

#include "core/file64.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tvx {

inline constexpr std::uint32_t kWaveHeaderSize = 44;
inline constexpr std::uint32_t kRiffPreamble = 8;

using WaveHeader = std::array<std::uint8_t, kWaveHeaderSize>;

// The header a new file starts with: PCM, one channel, 11025 Hz, 16 bits, no data yet.
WaveHeader DefaultWaveHeader();

// Stamps the sample format; bytes per second and block align follow from it.
void SetWaveFormat(WaveHeader& header, std::uint32_t samplesPerSec, std::uint16_t bitsPerSample,
                   std::uint16_t channels);

// The RIFF and data sizes of a file of fileSize bytes that begins with this header.
void SetWaveSizes(WaveHeader& header, std::uint64_t fileSize);

std::uint32_t AvgBytesPerSecOf(const WaveHeader& header);

// One PCM WAV file: a fixed 44-byte header and the sample bytes after it. The sizes are
// patched only by Close, so a file left behind by a crash still has a valid header.
class CFileWave {
public:
    CFileWave() = default;
    CFileWave(const CFileWave&) = delete;
    CFileWave& operator=(const CFileWave&) = delete;
    virtual ~CFileWave();

    // False, with the reason in error, when the file does not open or its header can be
    // neither written (a new file on a full disk) nor read (an existing one without read access).
    bool Open(const std::string& fileName, std::uint32_t access, std::uint32_t shareMode,
              std::uint32_t disposition, CFileException* error, std::uint32_t flags = 0);
    bool SetFormat(std::uint32_t samplesPerSec, std::uint16_t bitsPerSample,
                   std::uint16_t channels);

    // Never throws: a failed write shows only in the result and in GetLastWriteCount, and
    // LastWriteFailure tells why.
    bool Write(const void* buffer, std::uint32_t count);
    bool GetLastWriteCount(std::uint32_t* count, bool wait) const;
    const CFileException& LastWriteFailure() const { return m_lastFailure; }

    // Throws CFileException; the end of the file becomes the end of these bytes.
    bool WriteAndSetEnd(const void* buffer, std::uint32_t count);

    // Both measure the file on disk, whatever way its bytes were written.
    std::uint32_t GetWholeSeconds() const;
    double GetDurationSeconds() const;

    void Close();

    bool IsOpen() const { return m_file.IsOpen(); }
    const WaveHeader& Header() const { return m_header; }

private:
    std::uint64_t DataBytes() const;

    std::uint32_t m_dwLastWritten = 0;
    [[maybe_unused]] std::uint16_t m_wMode = 1;   // writes are always synchronous
    std::uint32_t m_dwAccess = 0;
    WaveHeader m_header = DefaultWaveHeader();
    CFile64 m_file;
    std::uint64_t m_position = 0;   // where the next Write lands, so a short write can be measured
    CFileException m_lastFailure;
};

}  // namespace tvx
