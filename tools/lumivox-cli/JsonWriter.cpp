// Streaming JSON output with string escaping.
#include "lumivox-cli/JsonWriter.h"

namespace lumivox::cli {

std::string JsonWriter::Escape(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    out.reserve(static_cast<std::size_t>(utf8.size()) + 2);
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

void JsonWriter::BeforeValue() {
    if (AfterKey) {
        AfterKey = false;
        return;
    }
    if (!HasElement.empty()) {
        if (HasElement.back())
            std::fputc(',', Out);
        HasElement.back() = true;
    }
}

void JsonWriter::BeginObject() {
    BeforeValue();
    std::fputc('{', Out);
    HasElement.push_back(false);
}

void JsonWriter::EndObject() {
    HasElement.pop_back();
    std::fputc('}', Out);
}

void JsonWriter::BeginArray() {
    BeforeValue();
    std::fputc('[', Out);
    HasElement.push_back(false);
}

void JsonWriter::EndArray() {
    HasElement.pop_back();
    std::fputc(']', Out);
}

void JsonWriter::Key(const char* name) {
    BeforeValue();
    std::fprintf(Out, "\"%s\":", name);
    AfterKey = true;
}

void JsonWriter::Value(const QString& text) {
    BeforeValue();
    const std::string escaped = Escape(text);
    std::fwrite(escaped.data(), 1, escaped.size(), Out);
}

void JsonWriter::Value(long long number) {
    BeforeValue();
    std::fprintf(Out, "%lld", number);
}

void JsonWriter::Decimal(double number, int decimals) {
    BeforeValue();
    std::fprintf(Out, "%.*f", decimals, number);
}

void JsonWriter::Value(bool flag) {
    BeforeValue();
    std::fputs(flag ? "true" : "false", Out);
}

void JsonWriter::Numbers(const unsigned char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        Value(static_cast<long long>(bytes[i]));
}

void JsonWriter::Finish() {
    std::fputc('\n', Out);
    std::fflush(Out);
}

} // namespace lumivox::cli
