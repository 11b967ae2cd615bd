// One JSON object per line on stdout; byte texts go out as hex so no code page can spoil them.
#pragma once
#include <string>
#include <vector>

class Event {
public:
    Event(const char* kind, int instance);
    Event& Hex(const char* key, const std::string& bytes);
    Event& Word(const char* key, const std::string& ascii);
    Event& Number(const char* key, long value);
    Event& Flag(const char* key, bool value);
    Event& Null(const char* key);
    Event& Words(const char* key, const std::vector<std::string>& words);
    Event& Numbers(const char* key, const std::vector<int>& numbers);
    void Emit();

private:
    void Key(const char* key);
    std::string line_;
};
