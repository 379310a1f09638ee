#pragma once

#include "analysis/auth_tally.h"
#include "core/block_status.h"

#include <cstdint>

namespace tvx {

// The readers report their verdicts through a plain function pointer, so where they are
// counted is one value for the whole process: the tally of the route made last and still
// alive. The window routes to its tally for its lifetime, the play command for its run.
class VerdictRoute {
public:
    explicit VerdictRoute(AuthTally& tally);
    ~VerdictRoute();   // verdicts from then on are dropped, unless a later route took over
    VerdictRoute(const VerdictRoute&) = delete;
    VerdictRoute& operator=(const VerdictRoute&) = delete;

private:
    AuthTally& m_tally;
};

// The block callback every player installs: counts the verdict in the routed tally. Runs
// on a worker; touches atomics only. IMG readers report through OnRecordResult.
void OnBlockResult(std::int32_t index, BlockStatus status);
void OnRecordResult(std::uint32_t index, std::uint32_t flags);

}  // namespace tvx
