#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tvx::cli {

// A small streaming JSON writer: objects and arrays nest, commas and escapes are its business.
// Strings that are not valid UTF-8 (a path may hold any bytes) get U+FFFD for each bad byte.
// With a sink the text goes out in pieces as it grows and at each Flush, so a long document
// never sits whole in memory; without one it collects in Text().
class JsonWriter {
public:
    explicit JsonWriter(int indentWidth = 2, std::FILE* sink = nullptr)
        : m_indentWidth(indentWidth), m_sink(sink) {}

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(const std::string& name);

    void String(const std::string& value);
    void Int(std::int64_t value);
    void Bool(bool value);
    void Null();

    const std::string& Text() const { return m_out; }
    void Flush();

private:
    void BeforeValue();
    void NewLine();
    void Close(char bracket);

    std::string m_out;
    std::vector<bool> m_first;   // per open container: no member written yet
    bool m_afterKey = false;
    int m_indentWidth;
    std::FILE* m_sink;
};

std::string JsonEscaped(const std::string& text);

}  // namespace tvx::cli
