#include "core/file_hash.h"

#include "core/file64.h"

#include <dlfcn.h>
#include <openssl/evp.h>

#include <ctime>
#include <vector>

namespace tvx {
namespace {

// Large enough that a read call costs little beside hashing it, small enough to stay in cache.
constexpr std::uint32_t kHashRead = 256 * 1024;

// The digest functions of libcrypto, opened on the first hash: a run that hashes nothing
// (most of them) starts without that large library.
struct Digest {
    decltype(&EVP_MD_CTX_new) newContext = nullptr;
    decltype(&EVP_MD_CTX_free) freeContext = nullptr;
    decltype(&EVP_sha256) sha256 = nullptr;
    decltype(&EVP_DigestInit_ex) init = nullptr;
    decltype(&EVP_DigestUpdate) update = nullptr;
    decltype(&EVP_DigestFinal_ex) final = nullptr;
    std::string why;   // when a function is missing, what the loader said
};

template <typename Function>
void Bind(void* library, const char* name, Function& function, std::string& why) {
    function = library ? reinterpret_cast<Function>(::dlsym(library, name)) : nullptr;
    if (!function && why.empty())
        why = ::dlerror();
}

Digest LoadDigest() {
    Digest d;
    // Never closed: the library stays for the rest of the run, as a linked one would.
    void* library = ::dlopen(TVX_LIBCRYPTO, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        d.why = ::dlerror();
    Bind(library, "EVP_MD_CTX_new", d.newContext, d.why);
    Bind(library, "EVP_MD_CTX_free", d.freeContext, d.why);
    Bind(library, "EVP_sha256", d.sha256, d.why);
    Bind(library, "EVP_DigestInit_ex", d.init, d.why);
    Bind(library, "EVP_DigestUpdate", d.update, d.why);
    Bind(library, "EVP_DigestFinal_ex", d.final, d.why);
    return d;
}

const Digest& TheDigest() {
    static const Digest digest = LoadDigest();
    return digest;
}

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

Sha256Stream::Sha256Stream() {
    const Digest& digest = TheDigest();
    if (!digest.why.empty()) {
        m_why = "The SHA-256 digest is not available: " + digest.why;
        return;
    }
    m_context = digest.newContext();
    if (m_context == nullptr || digest.init(m_context, digest.sha256(), nullptr) != 1)
        m_why = "The SHA-256 digest is not available";
}

Sha256Stream::~Sha256Stream() {
    if (m_context != nullptr)
        TheDigest().freeContext(m_context);
}

void Sha256Stream::Add(std::span<const std::uint8_t> bytes) {
    if (m_why.empty())
        TheDigest().update(m_context, bytes.data(), bytes.size());
}

std::string Sha256Stream::Finish() {
    if (!m_why.empty())
        return {};
    unsigned char sum[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    TheDigest().final(m_context, sum, &length);
    return Hex(sum, length);
}

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
    Sha256Stream digest;
    if (!digest.Unavailable().empty())
        return HashError(path, digest.Unavailable().c_str());
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
            digest.Add(std::span(buffer.data(), n));
            read += n;
            if (keepGoing && !keepGoing())
                return HashError(path, "The hash was stopped before the end");
        }
        if (read != before.size || !(file.GetStamp() == before))
            return HashError(path, "Changed while it was read; its hash describes no state it was in");
        return FileHash{before.size, IsoUtc(before.mtimeSeconds), digest.Finish()};
    } catch (const CFileException& readFailure) {
        Error error = readFailure.ToError();
        error.path = path;
        return error;
    }
}

}  // namespace tvx
