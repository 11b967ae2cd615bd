// Answers "does this text occur anywhere in everything appended so far" while
// appends and lookups interleave, in time and memory linear in the bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Every substring of the appended bytes is a path from state 0, so a lookup walks
// the query once, whatever its length. It answers every lookup once the window
// sets below give way, at about 56 bytes and a dozen cache misses per byte.
struct SuffixAutomaton {
    std::vector<int32_t> length;   // longest text that reaches each state
    std::vector<int32_t> link;     // suffix link
    std::vector<int32_t> firstEdge;
    std::vector<int32_t> edgeTarget;
    std::vector<int32_t> edgeNext;
    std::vector<unsigned char> edgeByte;
    int32_t last = 0;

    SuffixAutomaton();
    void Append(std::string_view text);
    bool Contains(std::string_view text) const;
    size_t MemoryUsed() const;

private:
    int32_t AddState(int32_t stateLength);
    int32_t FindEdge(int32_t state, unsigned char byte) const;
    void AddEdge(int32_t state, unsigned char byte, int32_t target);
    void AppendByte(unsigned char byte);
};

// Two polynomial hashes modulo 2^31 - 1 with bases drawn at random, so that no
// text chosen in advance makes windows collide more often than chance.
struct WindowHash {
    std::array<uint32_t, 2> bases;
};

// Every window of one length that lies within a line of the gathered text (a line
// ends at CR or LF), found by hash and confirmed byte for byte against the text.
struct WindowSet {
    WindowSet(size_t windowLength, const WindowHash& hash, uint32_t tagMask);
    // Adds the windows that end in text[from, to).
    void Add(std::string_view text, size_t from, size_t to);
    // The query must be windowLength bytes long.
    bool Contains(std::string_view text, std::string_view query) const;
    size_t Length() const { return windowLength; }
    size_t Windows() const { return windows; }
    size_t MemoryUsed() const;

private:
    // One slot per distinct tag. `ref` is 0 for an empty slot, a window's start
    // plus one, or kChained | the index of the node that heads the tag's chain.
    struct Slot {
        uint32_t tag;
        uint32_t ref;
    };
    // Windows that share a tag: the newest heads the chain, the oldest ends it as
    // a plain ref.
    struct Node {
        uint32_t start;
        uint32_t next;
    };
    static constexpr uint32_t kChained = 0x80000000u;

    size_t windowLength;
    std::array<uint32_t, 2> bases;
    // The part a leaving byte contributes to a window's hash, for each byte value.
    std::array<std::array<uint32_t, 256>, 2> leaving;
    uint32_t tagMask;
    std::vector<Slot> slots;
    std::vector<Node> nodes;
    size_t usedSlots = 0;
    size_t windows = 0;

    uint32_t Tag(uint32_t first, uint32_t second) const;
    void Insert(uint32_t tag, uint32_t start);
    void Grow();
};

// The gathered text with one window set per lookup length in use. A list of
// certificates uses one or two fingerprint lengths, so that stays linear; when
// lookups come in too many lengths, or the sets would hold more windows than the
// text has bytes, the index moves once for good to a suffix automaton over the
// whole text. Lookups that hold CR or LF (never a fingerprint) go there too.
struct SubstringIndex {
    // The tests shrink the tag to force collisions and move the limits.
    struct Settings {
        uint32_t tagMask = 0xFFFFFFFFu;
        size_t maxLengths = 4;
        size_t windowsPerTextByte = 1;
    };
    // Both use 32-bit positions and states; beyond this Append throws std::bad_alloc.
    static constexpr size_t kMaxTextSize = size_t(1) << 30;

    SubstringIndex();
    explicit SubstringIndex(const Settings& settings);
    void Append(std::string_view piece);
    // Builds the window set of a length on its first lookup, hence not const.
    bool Contains(std::string_view query);
    bool AnswersFromAutomaton() const { return automaton != nullptr; }
    size_t MemoryUsed() const;

private:
    Settings settings;
    WindowHash hash;
    std::string text;     // emptied once the automaton answers
    size_t gathered = 0;  // bytes appended so far
    size_t windowsHeld = 0;
    std::vector<WindowSet> sets;
    std::unique_ptr<SuffixAutomaton> automaton;

    bool OverWindowBudget() const;
    void SwitchToAutomaton();
};
