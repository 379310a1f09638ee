#include "analysis/auth_tally.h"

#include <utility>

namespace tvx {

namespace {

// One worker counts at a time, so a plain load and store suffice; readers on other threads
// see each value whole, at most one tick old. No locked instruction per block.
void Bump(std::atomic<std::int32_t>& counter) {
    counter.store(counter.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

template <typename T, typename V>
void Put(std::atomic<T>& value, V v) {
    value.store(static_cast<T>(v), std::memory_order_relaxed);
}

}  // namespace

void AuthTally::Reset() {
    Restart();
    m_strip.Reset();
    for (auto* c : {&m_nUnitIdErrors, &m_nFileNumberErrors, &m_nSequenceErrors,
                    &m_nChecksumErrors, &m_nVerifiedBlocks, &m_nIrregularBlocks})
        c->store(0);
    // The blink counter runs on across runs, as the window's own counter does.
}

bool AuthTally::OnBlockResult(std::int32_t index, BlockStatus status) {
    const std::uint8_t state =
        IsIrregular(status) ? StripStates::kIrregular : StripStates::kAuthentic;
    if (m_strip.SetBlock(index, state) != StripStates::kNotJudged) {
        // Judged before in this run, or outside the strip: counted already or never.
        SetStatusEnabled(false);
        return false;
    }
    Put(m_blink, m_blink.load(std::memory_order_relaxed) + 1);
    if (IsIrregular(status)) {
        CountIrregular(status);
        const std::lock_guard lock(m_newsLock);
        m_news.runs.Add(index, status, 0, 0);
    } else {
        CountRegular(status);
    }
    return true;
}

void AuthTally::CountIrregular(BlockStatus status) {
    if (status & kUnitIdError)
        Bump(m_nUnitIdErrors);
    if (status & kFileNumberError)
        Bump(m_nFileNumberErrors);
    if (status & (kBlockOrderError | kTimestampError))
        Bump(m_nSequenceErrors);
    if (status & kChecksumError)
        Bump(m_nChecksumErrors);
    // A header record shows in the error counts but is no audio, so no duration.
    if (!(status & kHeaderRecord))
        Bump(m_nIrregularBlocks);
    Put(m_statusColour, kStatusRed);
    SetStatusEnabled(true);
    Put(m_blink, 0);
}

void AuthTally::CountRegular(BlockStatus status) {
    if (!(status & kHeaderRecord))
        Bump(m_nVerifiedBlocks);
    Put(m_statusColour, kStatusGreen);
    // A clean run blinks the line: grey from the third good block, bright again after five.
    const std::uint8_t blink = m_blink.load(std::memory_order_relaxed);
    if (blink == 3) {
        SetStatusEnabled(false);
    } else if (blink > 5) {
        SetStatusEnabled(true);
        Put(m_blink, 0);
    }
}

void AuthTally::SetStatusEnabled(bool enabled) {
    const std::uint32_t writes = (m_statusEnabled.load(std::memory_order_relaxed) >> 1) + 1;
    Put(m_statusEnabled, writes << 1 | (enabled ? 1u : 0u));
}

void AuthTally::Restart() {
    const std::lock_guard lock(m_newsLock);
    m_news = {.restarted = true, .runs = {}};
}

IrregularNews AuthTally::TakeIrregular() {
    const std::lock_guard lock(m_newsLock);
    return std::exchange(m_news, {});
}

TallyCounts AuthTally::GetCounts() const {
    return {m_nUnitIdErrors.load(),  m_nFileNumberErrors.load(), m_nSequenceErrors.load(),
            m_nChecksumErrors.load(), m_nVerifiedBlocks.load(),  m_nIrregularBlocks.load()};
}

}  // namespace tvx
