#include "cli/json_writer.h"
#include "cli/options.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tvx::cli {
namespace {

// Every other form of the options is given by the tool's runs; a name that looks like an option
// only reaches it after "--".
TEST(ParseArguments, TakesWhatCanBeMeantAndRefusesTheRest) {
    const ParseResult dashed = ParseArguments({"convert", "--out=x", "--megabytes", "5", "--", "-odd.IM2"});
    ASSERT_TRUE(dashed.options);
    EXPECT_EQ(dashed.options->images, (std::vector<std::string>{"-odd.IM2"}));
    EXPECT_EQ(dashed.options->outFolder, "x");
    EXPECT_EQ(dashed.options->megabytes, 5);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             {"frobnicate", "a.IM2"},
             {"verify"},
             {"verify", "a.IM2", "--yes"},   // an option of another command
             {"convert", "a.IM2"},           // no folder
             {"convert", "a.IM2", "--out"},
             {"convert", "a.IM2", "--out", "d", "--minutes", "70000"},
             {"convert", "a.IM2", "--out", "d", "--minutes", "-1"},
             {"convert", "a.IM2", "--out", "d", "--megabytes", "1x"},
             {"convert", "a.IM2", "--out", "d", "--minutes", "1", "--megabytes", "1"},
             {"details", "a.IM2", "b.IM2"},
             {"peaks", "a.IM2", "--width", "0"},
             {"play", "a.IM2", "--from", "-3"},
             {"play", "a.IM2", "--from", "1.5"},
             {"play", "a.IM2", "--from="},
             {"play", "a.IM2", "--from", "2147483648"}}) {
        const ParseResult r = ParseArguments(args);
        EXPECT_FALSE(r.options) << ::testing::PrintToString(args);
        EXPECT_FALSE(r.error.empty());
    }
}

// A long document goes out in pieces as it grows: memory stays small whatever its length.
TEST(JsonWriter, WithASinkWritesAsItGoes) {
    std::FILE* sink = std::tmpfile();
    JsonWriter json(0, sink);
    json.BeginArray();
    for (int i = 0; i < 200000; ++i) {
        json.Int(i);
        ASSERT_LT(json.Text().size(), 128u * 1024);
    }
    json.EndArray();
    json.Flush();
    std::string written(1500000, '\0');
    std::rewind(sink);
    written.resize(std::fread(written.data(), 1, written.size(), sink));
    std::fclose(sink);
    EXPECT_TRUE(written.starts_with("[\n0,\n1,\n") && written.ends_with(",\n199999\n]"));
}

TEST(JsonEscaped, MarksQuotesControlsAndBytesThatAreNoUtf8) {
    EXPECT_EQ(JsonEscaped("a\"b\\c\n\x01"), R"(a\"b\\c\n\u0001)");
    EXPECT_EQ(JsonEscaped("Aufnahme-\xC3\xBC.IM2"), "Aufnahme-\xC3\xBC.IM2");
    EXPECT_EQ(JsonEscaped("bad\xFF" "end"), "bad\\ufffdend");
    EXPECT_EQ(JsonEscaped("cut\xE2\x82"), "cut\\ufffd\\ufffd");
    EXPECT_EQ(JsonEscaped("\xED\xA0\x80"), "\\ufffd\\ufffd\\ufffd");   // a surrogate
}

}  // namespace
}  // namespace tvx::cli
