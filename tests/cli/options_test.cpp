#include "cli/json_writer.h"
#include "cli/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace tvx::cli {
namespace {

ParseResult Parse(std::vector<std::string> args) { return ParseArguments(args); }

// The tool's runs give the options in every other form; a name that looks like an option
// only reaches it after "--".
TEST(ParseArguments, TakesAnImageNamedLikeAnOptionAfterTwoDashes) {
    const ParseResult dashed = Parse({"details", "--", "-odd.IM2"});
    ASSERT_TRUE(dashed.options);
    EXPECT_EQ(dashed.options->command, Command::Details);
    EXPECT_EQ(dashed.options->images, (std::vector<std::string>{"-odd.IM2"}));
    const ParseResult c = Parse({"convert", "a.IM2", "--out=/tmp/x", "--megabytes", "5"});
    ASSERT_TRUE(c.options);
    EXPECT_EQ(c.options->outFolder, "/tmp/x");
    EXPECT_EQ(c.options->megabytes, 5);
}

TEST(ParseArguments, RefusesWhatCannotBeMeant) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             {"frobnicate", "a.IM2"},
             {"verify"},
             {"verify", "a.IM2", "--yes"},              // an option of another command
             {"convert", "a.IM2"},                      // no folder
             {"convert", "a.IM2", "--out"},
             {"convert", "a.IM2", "--out", "d", "--minutes", "70000"},
             {"convert", "a.IM2", "--out", "d", "--minutes", "-1"},
             {"convert", "a.IM2", "--out", "d", "--megabytes", "1x"},
             {"convert", "a.IM2", "--out", "d", "--minutes", "1", "--megabytes", "1"},
             {"details", "a.IM2", "b.IM2"}}) {
        const ParseResult r = Parse(args);
        EXPECT_FALSE(r.options) << ::testing::PrintToString(args);
        EXPECT_FALSE(r.error.empty());
    }
}

TEST(JsonWriter, NestsAndEscapes) {
    JsonWriter json(0);
    json.BeginObject();
    json.Key("path");
    json.String("a\"b\\c\n\x01");
    json.Key("list");
    json.BeginArray();
    json.Int(-1);
    json.Bool(true);
    json.BeginObject();
    json.EndObject();
    json.EndArray();
    json.EndObject();
    std::string flat;
    for (char c : json.Text())
        if (c != '\n')
            flat += c;
    EXPECT_EQ(flat, R"({"path": "a\"b\\c\n\u0001","list": [-1,true,{}]})");
}

// A long document goes out in pieces as it grows: memory stays small whatever its length.
TEST(JsonWriter, WithASinkWritesAsItGoes) {
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    JsonWriter json(0, sink);
    json.BeginArray();
    std::size_t largest = 0;
    for (int i = 0; i < 200000; ++i) {
        json.Int(i);
        largest = std::max(largest, json.Text().size());
    }
    json.EndArray();
    json.Flush();
    EXPECT_LT(largest, 128u * 1024);
    EXPECT_TRUE(json.Text().empty());
    std::fseek(sink, 0, SEEK_END);
    const long size = std::ftell(sink);
    std::rewind(sink);
    std::string written(static_cast<std::size_t>(size), '\0');
    ASSERT_EQ(std::fread(written.data(), 1, written.size(), sink), written.size());
    std::fclose(sink);
    EXPECT_EQ(written.substr(0, 5), "[\n0,\n");
    EXPECT_EQ(written.substr(written.size() - 8), "199999\n]");
}

TEST(JsonEscaped, KeepsUtf8AndMarksBytesThatAreNot) {
    EXPECT_EQ(JsonEscaped("Aufnahme-\xC3\xBC.IM2"), "Aufnahme-\xC3\xBC.IM2");
    EXPECT_EQ(JsonEscaped("bad\xFF" "end"), "bad\\ufffdend");
    EXPECT_EQ(JsonEscaped("cut\xE2\x82"), "cut\\ufffd\\ufffd");
    EXPECT_EQ(JsonEscaped("\xED\xA0\x80"), "\\ufffd\\ufffd\\ufffd");   // a surrogate
}

}  // namespace
}  // namespace tvx::cli
