// A small streaming JSON writer: large value arrays go straight to the output without
// building a document in memory.
#pragma once

#include <QString>

#include <cstdio>
#include <string>
#include <vector>

namespace lumivox::cli {

class JsonWriter {
public:
    explicit JsonWriter(std::FILE* out) : Out(out) {}

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(const char* name);
    void Value(const QString& text);
    void Value(long long number);
    void Value(bool flag);
    // A number with `decimals` digits after the point.
    void Decimal(double number, int decimals);
    // A key and its value in the current object.
    template <typename T> void Field(const char* name, const T& value) {
        Key(name);
        Value(value);
    }
    // Writes a run of numbers as the elements of the current array.
    void Numbers(const unsigned char* bytes, std::size_t count);
    void Finish();

    static std::string Escape(const QString& text);

private:
    void BeforeValue();

    std::FILE* Out;
    // One entry per open container: true once it holds an element.
    std::vector<bool> HasElement;
    bool AfterKey = false;
};

} // namespace lumivox::cli
