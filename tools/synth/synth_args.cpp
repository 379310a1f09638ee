#include "synth/synth_args.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tvx::synth {
namespace {

template <typename T>
std::optional<T> ParseUnsigned(const std::string& text, T highest) {
    std::uint64_t v = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || stop != end || v > static_cast<std::uint64_t>(highest))
        return std::nullopt;
    return static_cast<T>(v);
}

std::optional<double> ParsePositive(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    char* stop = nullptr;
    const double v = std::strtod(text.c_str(), &stop);
    if (*stop != '\0' || !std::isfinite(v) || v < 0)
        return std::nullopt;
    return v;
}

std::optional<FaultKind> FaultKindNamed(const std::string& name) {
    static const std::pair<const char*, FaultKind> kNames[] = {
        {"payload", FaultKind::PayloadByte}, {"unit", FaultKind::UnitNumber},
        {"file", FaultKind::FileNumber},     {"order", FaultKind::BlockOrder},
        {"timestamp", FaultKind::Timestamp}, {"header", FaultKind::BadHeader},
        {"truncate", FaultKind::TruncateLast},
    };
    for (const auto& [n, kind] : kNames)
        if (name == n)
            return kind;
    return std::nullopt;
}

std::optional<Fault> ParseFault(const std::string& text) {
    const std::size_t colon = text.find(':');
    const auto kind = FaultKindNamed(text.substr(0, colon));
    if (!kind)
        return std::nullopt;
    Fault fault{*kind, 0};
    if (colon != std::string::npos) {
        const auto block = ParseUnsigned<std::uint32_t>(text.substr(colon + 1), UINT32_MAX);
        if (!block)
            return std::nullopt;
        fault.block = *block;
    }
    return fault;
}

// Whole data records: enough to hold the hours asked, or the most that fit in the size asked.
std::optional<std::uint32_t> BlocksOf(const std::string& unit, double amount,
                                      const Im2Options& options) {
    const Layout layout = LayoutOf(options);
    double blocks = 0;
    if (unit == "--hours") {
        if (layout.samplesPerChannel == 0)
            return std::nullopt;
        blocks = std::ceil(amount * 3600.0 * layout.sampleRate /
                           static_cast<double>(layout.samplesPerChannel));
    } else {
        blocks = std::floor(amount * 1048576.0 / static_cast<double>(kRecordSize)) - 1;
    }
    if (blocks > static_cast<double>(UINT32_MAX))
        return std::nullopt;
    return static_cast<std::uint32_t>(std::max(blocks, 0.0));
}

// The options of an IX2 image beyond its audio; false when arg is not one of them.
bool TakeIx2Flag(const std::string& arg, Ix2Options& o) {
    if (arg == "--chain")
        o.chain = true;
    else if (arg == "--no-entry")
        o.matchingEntry = false;
    else if (arg == "--no-decoy")
        o.decoyEntry = false;
    else
        return false;
    return true;
}

// An IX2 file of the size asked holds three index blocks fewer, and a chain's inner blocks
// fill 512 of every 528 bytes.
std::uint32_t Ix2BlocksOf(std::uint32_t im2Blocks, bool chain) {
    const std::uint64_t records = std::uint64_t{im2Blocks} + 1;
    const std::uint64_t data = records > 3 ? records - 3 : 0;
    return static_cast<std::uint32_t>(chain ? data * kPayloadSize / kRecordSize : data);
}

bool EndsIn(const std::string& path, const char* extension) {
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tail == extension;
}

std::optional<ImgFault> ParseImgFault(const std::string& text) {
    static const std::pair<const char*, ImgFaultKind> kNames[] = {
        {"voice", ImgFaultKind::VoiceChecksum}, {"index", ImgFaultKind::RecordIndex},
        {"sum", ImgFaultKind::BlockChecksum},   {"unit", ImgFaultKind::UnitId},
        {"file", ImgFaultKind::FileNumber},     {"count", ImgFaultKind::SampleCount},
        {"cut", ImgFaultKind::CutLast},
    };
    const std::size_t colon = text.find(':');
    const std::string name = text.substr(0, colon);
    for (const auto& [n, kind] : kNames) {
        if (name != n)
            continue;
        ImgFault fault{kind, kind == ImgFaultKind::CutLast ? 100u : 1u};
        if (colon != std::string::npos) {
            const auto record = ParseUnsigned<std::uint32_t>(text.substr(colon + 1), UINT32_MAX);
            if (!record)
                return std::nullopt;
            fault.record = *record;
        }
        return fault;
    }
    return std::nullopt;
}

}  // namespace

bool NamesIx2(const std::string& path) { return EndsIn(path, ".IX2"); }
bool NamesImg(const std::string& path) { return EndsIn(path, ".IMG"); }

ParsedArgs ParseSynthArgs(std::span<const std::string> argv) {
    SynthArgs a;
    std::string lengthOption;
    double lengthAmount = 0;
    bool modelGiven = false;
    const auto fail = [](std::string why) { return ParsedArgs{std::nullopt, std::move(why)}; };
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            if (!a.path.empty())
                return fail("more than one output path: " + arg);
            a.path = arg;
            continue;
        }
        if (TakeIx2Flag(arg, a.ix2Options))
            continue;
        if (i + 1 >= argv.size())
            return fail(arg + " needs a value");
        const std::string& value = argv[++i];
        const auto bad = [&] { return fail("bad value for " + arg + ": " + value); };
        if (arg == "--bits") {
            const auto v = ParseUnsigned<int>(value, 16);
            const bool img = NamesImg(a.path);
            if (!v || (img ? (*v != 5 && *v != 8) : (*v != 4 && *v != 8 && *v != 16)))
                return bad();
            (img ? a.imgOptions.bits : a.options.storedBits) = *v;
        } else if (arg == "--channels") {
            const auto v = ParseUnsigned<int>(value, 2);
            if (!v || *v == 0)
                return bad();
            a.options.channels = *v;
        } else if (arg == "--rate-code") {
            const auto v = ParseUnsigned<int>(value, 3);
            if (!v)
                return bad();
            a.options.rateCode = *v;
        } else if (arg == "--model" || arg == "--compression") {
            if (modelGiven)
                return fail("give one of --model and --compression, once");
            modelGiven = true;
            const auto v = ParseUnsigned<std::uint8_t>(value, 255);
            if (!v)
                return bad();
            if (arg == "--model") {
                a.options.modelCode = *v;
                continue;
            }
            const auto code = ModelCodeForCompression(*v);
            if (!code)
                return fail("no model code gives compression " + value);
            a.options.modelCode = *code;
        } else if (arg == "--blocks" || arg == "--hours" || arg == "--mib") {
            if (!lengthOption.empty())
                return fail("give one of --blocks, --hours and --mib, once");
            lengthOption = arg;
            const auto v = ParsePositive(value);
            if (!v || (arg == "--blocks" && !ParseUnsigned<std::uint32_t>(value, UINT32_MAX)))
                return bad();
            lengthAmount = *v;
        } else if (arg == "--stated") {
            const auto v = ParseUnsigned<std::uint32_t>(value, UINT32_MAX);
            if (!v)
                return bad();
            a.options.statedBlocks = *v;
        } else if (arg == "--seed") {
            const auto v = ParseUnsigned<std::uint32_t>(value, UINT32_MAX);
            if (!v)
                return bad();
            a.options.seed = *v;
        } else if (arg == "--split-first") {
            const auto v = ParseUnsigned<std::uint32_t>(value, UINT32_MAX);
            if (!v)
                return bad();
            a.ix2Options.splitFirst = *v;
        } else if (arg == "--split-last" || arg == "--recording-last") {
            const auto v = ParseUnsigned<std::uint32_t>(value, UINT32_MAX);
            if (!v)
                return bad();
            (arg == "--split-last" ? a.ix2Options.splitLast : a.ix2Options.recordingLast) = *v;
        } else if (arg == "--broken-index") {
            const auto v = ParseUnsigned<int>(value, 2);
            if (!v)
                return bad();
            a.ix2Options.brokenIndexBlock = *v;
        } else if (arg == "--cut") {
            const auto v = ParseUnsigned<std::uint64_t>(value, UINT64_MAX);
            if (!v)
                return bad();
            a.ix2Options.cutTo = *v;
        } else if (arg == "--erased") {
            const auto v = ParseUnsigned<std::uint32_t>(value, UINT32_MAX);
            if (!v)
                return bad();
            a.imgOptions.erased = *v;
        } else if (arg == "--img-fault") {
            const auto f = ParseImgFault(value);
            if (!f)
                return bad();
            a.imgFaults.push_back(*f);
        } else if (arg == "--fault") {
            const auto f = ParseFault(value);
            if (!f)
                return bad();
            a.faults.push_back(*f);
        } else {
            return fail("unknown option " + arg);
        }
    }
    if (a.path.empty())
        return fail("no output path");
    if (lengthOption == "--blocks") {
        a.options.blocks = static_cast<std::uint32_t>(lengthAmount);
    } else if (!lengthOption.empty()) {
        const auto blocks = BlocksOf(lengthOption, lengthAmount, a.options);
        if (!blocks)
            return fail("too long: " + lengthOption);
        a.options.blocks = *blocks;
    }
    a.img = NamesImg(a.path);
    if (a.img) {
        const double spr = a.imgOptions.bits == 5 ? 816.0 : 512.0;
        a.imgOptions.seed = a.options.seed;
        if (lengthOption == "--blocks")
            a.imgOptions.records = static_cast<std::uint32_t>(lengthAmount);
        else if (lengthOption == "--hours")
            a.imgOptions.records = static_cast<std::uint32_t>(std::ceil(lengthAmount * 3600.0 * 8000 / spr)) + 1;
        else if (lengthOption == "--mib")
            a.imgOptions.records = static_cast<std::uint32_t>(lengthAmount * 1048576.0 / kRecordSize);
    }
    a.ix2 = NamesIx2(a.path);
    if (a.ix2) {
        if (lengthOption == "--mib")
            a.options.blocks = Ix2BlocksOf(a.options.blocks, a.ix2Options.chain);
        a.ix2Options.audio = a.options;
    }
    return {std::move(a), {}};
}

}  // namespace tvx::synth
