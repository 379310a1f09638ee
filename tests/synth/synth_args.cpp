#include "synth/synth_args.h"

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

}  // namespace

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
        if (i + 1 >= argv.size())
            return fail(arg + " needs a value");
        const std::string& value = argv[++i];
        const auto bad = [&] { return fail("bad value for " + arg + ": " + value); };
        if (arg == "--bits") {
            const auto v = ParseUnsigned<int>(value, 16);
            if (!v || (*v != 4 && *v != 8 && *v != 16))
                return bad();
            a.options.storedBits = *v;
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
    return {std::move(a), {}};
}

}  // namespace tvx::synth
