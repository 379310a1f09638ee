#include "cli/json_writer.h"

#include <cstdio>

namespace tvx::cli {

namespace {

// Length of the valid UTF-8 sequence at text[at], or 0 when it is not one.
std::size_t Utf8Length(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    std::uint32_t code = 0;
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (byte(at + i) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return (code < minimum || code > 0x10FFFF || surrogate) ? 0 : length;
}

}  // namespace

std::string JsonEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        const std::size_t length = Utf8Length(text, at);
        if (length == 0) {
            out += "\\ufffd";
            ++at;
            continue;
        }
        if (length > 1) {
            out.append(text, at, length);
            at += length;
            continue;
        }
        ++at;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out;
}

void JsonWriter::NewLine() {
    m_out += '\n';
    m_out.append(m_first.size() * static_cast<std::size_t>(m_indentWidth), ' ');
}

void JsonWriter::Flush() {
    if (m_sink == nullptr)
        return;
    std::fwrite(m_out.data(), 1, m_out.size(), m_sink);
    m_out.clear();
}

void JsonWriter::BeforeValue() {
    // What is written so far goes out before it grows large.
    constexpr std::size_t kPieceBytes = 64 * 1024;
    if (m_out.size() >= kPieceBytes)
        Flush();
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_first.empty())
        return;
    if (!m_first.back())
        m_out += ',';
    m_first.back() = false;
    NewLine();
}

void JsonWriter::BeginObject() {
    BeforeValue();
    m_out += '{';
    m_first.push_back(true);
}

void JsonWriter::Close(char bracket) {
    const bool empty = m_first.back();
    m_first.pop_back();
    if (!empty)
        NewLine();
    m_out += bracket;
}

void JsonWriter::EndObject() { Close('}'); }

void JsonWriter::BeginArray() {
    BeforeValue();
    m_out += '[';
    m_first.push_back(true);
}

void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::Key(const std::string& name) {
    BeforeValue();
    m_out += '"' + JsonEscaped(name) + "\": ";
    m_afterKey = true;
}

void JsonWriter::String(const std::string& value) {
    BeforeValue();
    m_out += '"' + JsonEscaped(value) + '"';
}

void JsonWriter::Int(std::int64_t value) {
    BeforeValue();
    m_out += std::to_string(value);
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    m_out += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    m_out += "null";
}

}  // namespace tvx::cli
