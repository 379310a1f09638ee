#include "export/file_wave.h"

#include "core/bytes.h"

#include <cstring>

namespace tvx {
namespace {

constexpr std::size_t kOffRiffSize = 4;
constexpr std::size_t kOffChannels = 22;
constexpr std::size_t kOffSamplesPerSec = 24;
constexpr std::size_t kOffAvgBytesPerSec = 28;
constexpr std::size_t kOffBlockAlign = 32;
constexpr std::size_t kOffBitsPerSample = 34;
constexpr std::size_t kOffDataSize = 40;

void PutTag(WaveHeader& header, std::size_t at, const char (&tag)[5]) {
    std::memcpy(header.data() + at, tag, 4);
}

}  // namespace

WaveHeader DefaultWaveHeader() {
    WaveHeader h{};
    PutTag(h, 0, "RIFF");
    StoreLe32(h, kOffRiffSize, kWaveHeaderSize - kRiffPreamble);
    PutTag(h, 8, "WAVE");
    PutTag(h, 12, "fmt ");
    StoreLe32(h, 16, 16);
    StoreLe16(h, 20, 1);
    StoreLe16(h, kOffChannels, 1);
    StoreLe32(h, kOffSamplesPerSec, 11025);
    StoreLe32(h, kOffAvgBytesPerSec, 22050);
    StoreLe16(h, kOffBlockAlign, 2);
    StoreLe16(h, kOffBitsPerSample, 16);
    PutTag(h, 36, "data");
    StoreLe32(h, kOffDataSize, 0);
    return h;
}

void SetWaveFormat(WaveHeader& header, std::uint32_t samplesPerSec, std::uint16_t bitsPerSample,
                   std::uint16_t channels) {
    const std::uint32_t bitsPerFrame = std::uint32_t{bitsPerSample} * channels;
    StoreLe16(header, kOffBitsPerSample, bitsPerSample);
    StoreLe16(header, kOffChannels, channels);
    StoreLe32(header, kOffSamplesPerSec, samplesPerSec);
    StoreLe32(header, kOffAvgBytesPerSec, (bitsPerFrame * samplesPerSec) >> 3);
    StoreLe16(header, kOffBlockAlign, static_cast<std::uint16_t>(bitsPerFrame / 8));
}

void SetWaveSizes(WaveHeader& header, std::uint64_t fileSize) {
    StoreLe32(header, kOffRiffSize, static_cast<std::uint32_t>(fileSize - kRiffPreamble));
    StoreLe32(header, kOffDataSize, static_cast<std::uint32_t>(fileSize - kWaveHeaderSize));
}

std::uint32_t AvgBytesPerSecOf(const WaveHeader& header) {
    return LoadLe32(header, kOffAvgBytesPerSec);
}

CFileWave::~CFileWave() {
    try {
        Close();
    } catch (const CFileException&) {
        // a destructor cannot report; Close has released the handle either way
    }
}

bool CFileWave::Open(const std::string& fileName, std::uint32_t access, std::uint32_t shareMode,
                     std::uint32_t disposition, CFileException* error, std::uint32_t flags) {
    m_dwAccess = access;
    if (!m_file.Open(fileName, access, shareMode, disposition, error, flags))
        return false;
    try {
        if (m_file.GetLength() <= kWaveHeaderSize) {
            m_header = DefaultWaveHeader();
            m_file.Write(m_header.data(), kWaveHeaderSize);
        } else {
            // An existing file keeps its header as found; writing goes on after it.
            m_file.Read(m_header.data(), kWaveHeaderSize);
        }
        m_position = m_file.GetPosition();
    } catch (const CFileException& failure) {
        // A header that cannot be written (a full disk) or read (no read access) is an open
        // that failed: answered by the result, like every other.
        m_file.Abort();
        if (error) {
            *error = failure;
            error->m_strFileName = fileName;
        }
        return false;
    }
    return true;
}

bool CFileWave::SetFormat(std::uint32_t samplesPerSec, std::uint16_t bitsPerSample,
                          std::uint16_t channels) {
    SetWaveFormat(m_header, samplesPerSec, bitsPerSample, channels);
    const std::uint64_t at = m_file.GetPosition();
    m_file.SeekToBegin();
    m_file.Write(m_header.data(), kWaveHeaderSize);
    m_file.SeekTo(at);
    return true;
}

bool CFileWave::Write(const void* buffer, std::uint32_t count) {
    try {
        m_file.Write(buffer, count);
        m_dwLastWritten = count;
        m_position += count;
        return true;
    } catch (const CFileException& failure) {
        m_lastFailure = failure;
    }
    // A short write still moved the position by what it wrote.
    try {
        const std::uint64_t at = m_file.GetPosition();
        m_dwLastWritten = static_cast<std::uint32_t>(at - m_position);
        m_position = at;
    } catch (const CFileException&) {
        m_dwLastWritten = 0;
    }
    return false;
}

bool CFileWave::GetLastWriteCount(std::uint32_t* count, bool /*wait*/) const {
    *count = m_dwLastWritten;
    return true;
}

bool CFileWave::WriteAndSetEnd(const void* buffer, std::uint32_t count) {
    m_file.Write(buffer, count);
    m_position += count;
    m_file.SetEndOfFile();
    return true;
}

std::uint64_t CFileWave::DataBytes() const {
    const std::uint64_t length = m_file.GetLength();
    return length > kWaveHeaderSize ? length - kWaveHeaderSize : 0;
}

// A header read from an existing file may carry a zero rate; it then measures nothing.
std::uint32_t CFileWave::GetWholeSeconds() const {
    const std::uint32_t perSecond = AvgBytesPerSecOf(m_header);
    return perSecond == 0 ? 0 : static_cast<std::uint32_t>(DataBytes() / perSecond);
}

double CFileWave::GetDurationSeconds() const {
    const std::uint32_t perSecond = AvgBytesPerSecOf(m_header);
    return perSecond == 0 ? 0.0 : static_cast<double>(DataBytes()) / perSecond;
}

void CFileWave::Close() {
    if (!m_file.IsOpen())
        return;
    const std::string name = m_file.GetFileName();
    try {
        if (m_dwAccess & kGenericWrite) {
            // Cut at the position first, so the sizes describe exactly what was written.
            m_file.SetEndOfFile();
            SetWaveSizes(m_header, m_file.GetLength());
            m_file.SeekToBegin();
            m_file.Write(m_header.data(), kWaveHeaderSize);
        }
        m_file.Close();
    } catch (CFileException& failure) {
        m_file.Abort();
        // Whoever hears of it learns which file, also of a failure the platform left unnamed.
        if (failure.m_strFileName.empty())
            failure.m_strFileName = name;
        throw;
    }
}

}  // namespace tvx
