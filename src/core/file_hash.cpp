#include "core/file_hash.h"

#include "core/file64.h"

#include <openssl/evp.h>

#include <ctime>
#include <memory>
#include <vector>

namespace tvx {
namespace {

// Large enough that a read call costs little beside hashing it, small enough to stay in cache.
constexpr std::uint32_t kHashRead = 256 * 1024;

struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using Context = std::unique_ptr<EVP_MD_CTX, ContextFree>;

Error HashError(const std::string& path, const char* why) {
    return {Cause::Io, 0, path, 0, why};
}

std::string Hex(const unsigned char* bytes, unsigned count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(count * 2);
    for (unsigned i = 0; i < count; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 15];
    }
    return hex;
}

}  // namespace

std::string IsoUtc(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc {};
    char text[32] = {};
    if (::gmtime_r(&t, &utc) == nullptr || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) == 0)
        return {};
    return text;
}

Result<FileHash> HashFile(const std::string& path, const std::function<bool()>& keepGoing,
                          std::uint32_t flags) {
    CFile64 file;
    CFileException failure;
    if (!file.Open(path, kGenericRead, kShareRead | kShareWrite, kOpenExisting, &failure,
                   flags | kFlagSequentialScan))
        return failure.ToError();
    const Context context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return HashError(path, "The SHA-256 digest is not available");
    try {
        const FileStamp before = file.GetStamp();
        std::vector<unsigned char> buffer(kHashRead);
        std::uint64_t read = 0;
        // Reading stops once past the size found at the open: a file that keeps growing (a
        // recording still being copied in) must not hold the hash for ever.
        while (read <= before.size) {
            const std::uint32_t n = file.Read(buffer.data(), kHashRead);
            if (n == 0)
                break;
            EVP_DigestUpdate(context.get(), buffer.data(), n);
            read += n;
            if (keepGoing && !keepGoing())
                return HashError(path, "The hash was stopped before the end");
        }
        if (read != before.size || !(file.GetStamp() == before))
            return HashError(path, "Changed while it was read; its hash describes no state it was in");
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned length = 0;
        EVP_DigestFinal_ex(context.get(), digest, &length);
        return FileHash{before.size, IsoUtc(before.mtimeSeconds), Hex(digest, length)};
    } catch (const CFileException& readFailure) {
        Error error = readFailure.ToError();
        error.path = path;
        return error;
    }
}

}  // namespace tvx
