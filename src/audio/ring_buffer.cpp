#include "audio/ring_buffer.h"

#include <cstring>
#include <new>

namespace tvx {

CRingBuffer::CRingBuffer() : m_pStorage(new (std::nothrow) std::uint8_t[kCapacity]()) {}

std::int32_t CRingBuffer::GetCount() const {
    if (!m_pStorage || m_nRead == m_nWrite)
        return 0;
    return m_nRead < m_nWrite ? m_nWrite - m_nRead : m_nCapacity - m_nRead + m_nWrite;
}

std::int32_t CRingBuffer::GetFree() const {
    if (!m_pStorage)
        return 0;
    if (m_nRead == m_nWrite)
        return m_nCapacity;
    return m_nWrite < m_nRead ? m_nRead - m_nWrite : m_nCapacity - m_nWrite + m_nRead;
}

void CRingBuffer::Write(const std::uint8_t* source, std::int32_t length) {
    if (length <= 0 || length >= GetFree())
        return;
    std::uint8_t* ring = m_pStorage.get();
    if (m_nWrite + length < m_nCapacity) {
        std::memcpy(ring + m_nWrite, source, static_cast<std::size_t>(length));
        m_nWrite += length;
        return;
    }
    const std::int32_t tail = m_nCapacity - m_nWrite;
    std::memcpy(ring + m_nWrite, source, static_cast<std::size_t>(tail));
    std::memcpy(ring, source + tail, static_cast<std::size_t>(length - tail));
    m_nWrite = length - tail;
}

std::span<std::uint8_t> CRingBuffer::GetWriteSpace(std::int32_t length) {
    if (length <= 0 || length >= GetFree() || m_nWrite + length >= m_nCapacity)
        return {};
    return {m_pStorage.get() + m_nWrite, static_cast<std::size_t>(length)};
}

void CRingBuffer::CommitWrite(std::int32_t length) {
    if (length > 0)
        m_nWrite += length;
}

void CRingBuffer::Read(std::uint8_t* destination, std::int32_t length) {
    if (length <= 0 || length > GetCount())
        return;
    const std::uint8_t* ring = m_pStorage.get();
    if (m_nRead + length <= m_nCapacity) {
        std::memcpy(destination, ring + m_nRead, static_cast<std::size_t>(length));
        m_nRead += length;
        if (m_nRead == m_nCapacity)   // the end of the storage is its start
            m_nRead = 0;
        return;
    }
    const std::int32_t tail = m_nCapacity - m_nRead;
    std::memcpy(destination, ring + m_nRead, static_cast<std::size_t>(tail));
    std::memcpy(destination + tail, ring, static_cast<std::size_t>(length - tail));
    m_nRead = length - tail;
}

void CRingBuffer::Skip(std::int32_t length) {
    if (length <= 0 || length > GetCount())
        return;
    m_nRead += length;
    if (m_nRead >= m_nCapacity)
        m_nRead -= m_nCapacity;
}

void CRingBuffer::Clear() { Skip(GetCount()); }

}  // namespace tvx
