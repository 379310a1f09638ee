#pragma once

#include <cstdint>
#include <string>

namespace tvx {

// Unit ID and file number as the window and the reports show them; a chain shows the outer
// image's identity as the slave's.
struct IdentityTexts {
    std::string unitId;
    std::string fileNumber;

    bool operator==(const IdentityTexts&) const = default;
};
IdentityTexts PlainIdentity(const std::string& unitId, std::uint32_t fileNumber);
IdentityTexts ChainIdentity(const std::string& unitId, std::uint32_t fileNumber,
                            const std::string& slaveUnitId, std::uint32_t slaveFileNumber);
IdentityTexts ImgIdentity(std::uint32_t unitNumber, std::uint32_t fileNumber);

}  // namespace tvx
