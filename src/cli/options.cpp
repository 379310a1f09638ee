#include "cli/options.h"

#include <charconv>

namespace tvx::cli {

namespace {

ParseResult Fail(std::string why) { return {std::nullopt, std::move(why)}; }

std::optional<Command> CommandOf(const std::string& word) {
    if (word == "verify")
        return Command::Verify;
    if (word == "convert")
        return Command::Convert;
    if (word == "details")
        return Command::Details;
    if (word == "peaks")
        return Command::Peaks;
    if (word == "play")
        return Command::Play;
    if (word == "report")
        return Command::Report;
    if (word == "help" || word == "--help" || word == "-h")
        return Command::Help;
    if (word == "--version" || word == "-V")
        return Command::Version;
    return std::nullopt;
}

// A segment limit as the convert dialog takes it: a whole number the unit's counters can hold.
std::optional<std::uint16_t> LimitOf(const std::string& text) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || at != end || text.empty() || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// A start time in milliseconds: a whole number a reader's 32-bit times can reach.
std::optional<std::int64_t> MillisecondsOf(const std::string& text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || at != end || text.empty() || value < 0 || value > 2147483647)
        return std::nullopt;
    return value;
}

// Reads the value of an option given as "--name VALUE" or "--name=VALUE".
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
               std::string& value) {
    const std::string& arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size())
            return false;
        value = args[++i];
        return true;
    }
    value = arg.substr(name.size() + 1);
    return true;
}

bool WritesFiles(Command command) { return command == Command::Convert || command == Command::Report; }

bool Matches(const std::string& arg, const std::string& name) {
    return arg == name || arg.rfind(name + "=", 0) == 0;
}

}  // namespace

ParseResult ParseArguments(const std::vector<std::string>& args) {
    if (args.empty())
        return Fail("no command given");
    const auto command = CommandOf(args[0]);
    if (!command)
        return Fail("unknown command '" + args[0] + "'");
    Options o;
    o.command = *command;
    if (o.command == Command::Help || o.command == Command::Version)
        return {o, {}};
    bool optionsEnded = false;
    bool sawMinutes = false;
    bool sawMegabytes = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            o.images.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            o.command = Command::Help;
            return {o, {}};
        } else if (arg == "--json" && o.command == Command::Verify) {
            o.json = true;
        } else if (arg == "--hash" && o.command == Command::Verify) {
            o.hash = true;
        } else if (arg == "--yes" && WritesFiles(o.command)) {
            o.assumeYes = true;
        } else if (Matches(arg, "--out") && WritesFiles(o.command)) {
            if (!TakeValue(args, i, "--out", value) || value.empty())
                return Fail(o.command == Command::Convert ? "--out needs a folder" : "--out needs a file");
            o.outFolder = value;
        } else if ((Matches(arg, "--minutes") || Matches(arg, "--megabytes")) &&
                   o.command == Command::Convert) {
            const bool minutes = Matches(arg, "--minutes");
            const std::string name = minutes ? "--minutes" : "--megabytes";
            std::optional<std::uint16_t> limit;
            if (!TakeValue(args, i, name, value) || !(limit = LimitOf(value)))
                return Fail(name + " needs a whole number from 0 to 65535");
            (minutes ? o.minutes : o.megabytes) = *limit;
            (minutes ? sawMinutes : sawMegabytes) = true;
        } else if (Matches(arg, "--from") && o.command == Command::Play) {
            if (!TakeValue(args, i, "--from", value) || !(o.fromMs = MillisecondsOf(value)))
                return Fail("--from needs a whole number of milliseconds");
        } else if (Matches(arg, "--width") && o.command == Command::Peaks) {
            std::optional<std::uint16_t> width;
            if (!TakeValue(args, i, "--width", value) || !(width = LimitOf(value)) || *width == 0)
                return Fail("--width needs a whole number from 1 to 65535");
            o.width = *width;
        } else {
            return Fail("unknown option '" + arg + "'");
        }
    }
    if (o.images.empty())
        return Fail("no image given");
    if (o.command != Command::Verify && o.images.size() > 1)
        return Fail("this command takes one image");
    if (o.command == Command::Convert && o.outFolder.empty())
        return Fail("convert needs --out FOLDER");
    if (o.command == Command::Report && o.outFolder.empty())
        return Fail("report needs --out REPORT.pdf");
    if (sawMinutes && sawMegabytes)
        return Fail("give --minutes or --megabytes, not both");
    return {o, {}};
}

const char* UsageText() {
    return "Usage:\n"
           "  tessivox-cli verify IMAGE... [--json] [--hash]\n"
           "      Authenticate every block of each image and print the results. --hash adds\n"
           "      the file's size, modification time (UTC) and the SHA-256 of every byte.\n"
           "  tessivox-cli convert IMAGE --out FOLDER [--minutes N | --megabytes N] [--yes]\n"
           "      Convert the image into WAV segments, each with a summary text beside it.\n"
           "      A new segment starts after N minutes or N megabytes of audio (at most\n"
           "      2047 MiB each). An existing first segment is only overwritten with --yes.\n"
           "      Ctrl-C cancels; the current segment is kept and marked cancelled. A finished\n"
           "      conversion writes NAME.sha256 beside them: the image's SHA-256 and every\n"
           "      file's, for `cd FOLDER && sha256sum -c NAME.sha256`.\n"
           "  tessivox-cli report IMAGE --out REPORT.pdf [--yes]\n"
           "      Authenticate and hash the image and write an examination report of one or\n"
           "      two A4 pages: the file and its SHA-256, the recording, the verdicts and\n"
           "      counts, the waveform, strip and timeline, the irregular runs. An existing\n"
           "      REPORT.pdf is only replaced with --yes; a symbolic link never. The exit\n"
           "      status is the image's verdict, as for verify.\n"
           "  tessivox-cli details IMAGE\n"
           "      Print the image's identity, audio format, start and length.\n"
           "  tessivox-cli peaks IMAGE [--width N]\n"
           "      Print the overview waveform of N columns (1000 by default), one line per\n"
           "      column: its number and the peak-to-peak value of each channel, 0 to 65535.\n"
           "  tessivox-cli play IMAGE [--from MS]\n"
           "      Play the image on the default sound output, from MS milliseconds into it,\n"
           "      judging every block played. Space pauses and resumes; q or Ctrl-C stops.\n"
           "      At the end, print the counts of the blocks judged.\n"
           "  tessivox-cli --help | --version\n"
           "\n"
           "verify --json prints one object, {\"tool\", \"version\", \"images\": [...]}, with each\n"
           "image's irregular blocks as runs of the same status; verify.schema.json in the\n"
           "documentation describes every field and names the report's label for it.\n"
           "\n"
           "Exit status:\n"
           "  0   authentic: header or index sound, exactly the blocks it states and nothing\n"
           "      past them, every block judged and authentic (IMG: the voice-image checksum\n"
           "      chain unbroken); play: every block played was authentic\n"
           "  1   not authentic: irregular, incomplete or padded\n"
           "  2   usage error\n"
           "  3   an image could not be opened or read (verify --hash: or it changed while\n"
           "      it was read)\n"
           "  4   an output could not be written or was refused (standard output, a\n"
           "      segment or the manifest, an earlier conversion's files without --yes, the\n"
           "      sound output, the report or its component)\n"
           "  130 interrupted by Ctrl-C, SIGTERM or SIGHUP\n"
           "With several images, verify exits with the gravest status among them.\n";
}

}  // namespace tvx::cli
