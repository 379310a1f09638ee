#include "formats/identity_texts.h"

#include "core/format.h"

namespace tvx {

IdentityTexts PlainIdentity(const std::string& unitId, std::uint32_t fileNumber) {
    return {unitId, Format("%u", fileNumber)};
}

IdentityTexts ChainIdentity(const std::string& unitId, std::uint32_t fileNumber,
                            const std::string& slaveUnitId, std::uint32_t slaveFileNumber) {
    return {Format("%s (Slave %s)", unitId.c_str(), slaveUnitId.c_str()),
            Format("%u (Slave %u)", fileNumber, slaveFileNumber)};
}

IdentityTexts ImgIdentity(std::uint32_t unitNumber, std::uint32_t fileNumber) {
    return {Format("QL-%04X", unitNumber), Format("%u", fileNumber)};
}

}  // namespace tvx
