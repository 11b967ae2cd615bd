// Writes the driver's events as JSON lines and flushes each, so a killed run still tells its story.
#include "report.h"

#include <cstdio>

namespace {

std::string Quoted(const std::string& ascii) {
    std::string out = "\"";
    for (unsigned char c : ascii) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace

Event::Event(const char* kind, int instance) {
    line_ = "{\"event\":" + Quoted(kind);
    Number("instance", instance);
}

void Event::Key(const char* key) { line_ += "," + Quoted(key) + ":"; }

Event& Event::Hex(const char* key, const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    Key(key);
    line_ += "\"" + hex + "\"";
    return *this;
}

Event& Event::Word(const char* key, const std::string& ascii) {
    Key(key);
    line_ += Quoted(ascii);
    return *this;
}

Event& Event::Number(const char* key, long value) {
    Key(key);
    line_ += std::to_string(value);
    return *this;
}

Event& Event::Flag(const char* key, bool value) {
    Key(key);
    line_ += value ? "true" : "false";
    return *this;
}

Event& Event::Null(const char* key) {
    Key(key);
    line_ += "null";
    return *this;
}

Event& Event::Words(const char* key, const std::vector<std::string>& words) {
    Key(key);
    line_ += "[";
    for (size_t i = 0; i < words.size(); ++i) line_ += (i ? "," : "") + Quoted(words[i]);
    line_ += "]";
    return *this;
}

Event& Event::Numbers(const char* key, const std::vector<int>& numbers) {
    Key(key);
    line_ += "[";
    for (size_t i = 0; i < numbers.size(); ++i) line_ += (i ? "," : "") + std::to_string(numbers[i]);
    line_ += "]";
    return *this;
}

void Event::Emit() {
    std::fputs((line_ + "}\n").c_str(), stdout);
    std::fflush(stdout);
}
