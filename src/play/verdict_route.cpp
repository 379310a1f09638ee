#include "play/verdict_route.h"

#include <atomic>

namespace tvx {

namespace {

std::atomic<AuthTally*> g_routedTally{nullptr};

}  // namespace

VerdictRoute::VerdictRoute(AuthTally& tally) : m_tally(tally) {
    g_routedTally.store(&m_tally, std::memory_order_release);
}

VerdictRoute::~VerdictRoute() {
    AuthTally* mine = &m_tally;
    g_routedTally.compare_exchange_strong(mine, nullptr);
}

void OnBlockResult(std::int32_t index, BlockStatus status) {
    if (AuthTally* tally = g_routedTally.load(std::memory_order_acquire))
        tally->OnBlockResult(index, status);
}

void OnRecordResult(std::uint32_t index, std::uint32_t flags) {
    OnBlockResult(static_cast<std::int32_t>(index), flags);
}

}  // namespace tvx
