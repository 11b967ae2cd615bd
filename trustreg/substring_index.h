// Answers "does this text occur anywhere in everything appended so far" in time
// proportional to the query, however long the gathered text grows.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// A suffix automaton over the appended bytes: every substring of the gathered
// text is a path from state 0, so a lookup walks the query once.
struct SubstringIndex {
    std::vector<int32_t> length;   // longest text that reaches each state
    std::vector<int32_t> link;     // suffix link
    std::vector<int32_t> firstEdge;
    std::vector<int32_t> edgeTarget;
    std::vector<int32_t> edgeNext;
    std::vector<unsigned char> edgeByte;
    int32_t last = 0;

    SubstringIndex();
    void Append(std::string_view text);
    bool Contains(std::string_view text) const;

private:
    int32_t AddState(int32_t stateLength);
    int32_t FindEdge(int32_t state, unsigned char byte) const;
    void AddEdge(int32_t state, unsigned char byte, int32_t target);
    void AppendByte(unsigned char byte);
};
