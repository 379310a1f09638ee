#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace tvx {

// A byte FIFO of 18,000 bytes that re-frames the chain stream of IX2 images: decoded outer
// payloads go in, whole inner records come out. One byte always stays free, so equal
// indices mean empty and never full. Owned by one thread; allocates only when built.
class CRingBuffer {
public:
    static constexpr std::int32_t kCapacity = 18000;

    CRingBuffer();
    virtual ~CRingBuffer() = default;
    CRingBuffer(const CRingBuffer&) = delete;
    CRingBuffer& operator=(const CRingBuffer&) = delete;

    std::int32_t GetCount() const;
    std::int32_t GetFree() const;   // counts the byte that must stay free as free

    // A write that would not leave a byte free is dropped whole, without a word: the callers
    // never hold more than one inner record and one outer payload.
    void Write(const std::uint8_t* source, std::int32_t length);
    // Room to write up to length bytes in place, so that a decoder can write into the ring
    // without a copy; empty when Write would drop that many or they would not lie unbroken.
    // CommitWrite then adds the bytes written, at most the length asked for.
    std::span<std::uint8_t> GetWriteSpace(std::int32_t length);
    void CommitWrite(std::int32_t length);
    // Takes length bytes in order; asks for no more than GetCount, else takes nothing.
    void Read(std::uint8_t* destination, std::int32_t length);
    void Skip(std::int32_t length);   // only 0 < length <= GetCount
    void Clear();                     // the reader catches up; the bytes are not wiped

private:
    std::unique_ptr<std::uint8_t[]> m_pStorage;
    std::int32_t m_nCapacity = kCapacity;
    std::int32_t m_nRead = 0;
    std::int32_t m_nWrite = 0;
};

}  // namespace tvx
