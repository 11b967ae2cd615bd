// Answers "does this text occur anywhere in everything appended so far" while
// appends and lookups interleave, in time and memory linear in the bytes.
#include "substring_index.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <new>
#include <random>

namespace {

constexpr uint32_t kModulus = 0x7FFFFFFFu; // 2^31 - 1

// x mod 2^31 - 1 for any x below 2^63: 2^31 is 1 modulo 2^31 - 1.
uint32_t Reduce(uint64_t x)
{
    x = (x & kModulus) + (x >> 31);
    x = (x & kModulus) + (x >> 31);
    return static_cast<uint32_t>(x >= kModulus ? x - kModulus : x);
}

uint32_t Push(uint32_t hash, uint32_t base, unsigned char byte)
{
    return Reduce(static_cast<uint64_t>(hash) * base + byte);
}

bool IsLineEnd(unsigned char byte)
{
    return byte == '\r' || byte == '\n';
}

uint64_t SplitMix(uint64_t& state)
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// The bases only decide how often windows collide, never an answer, so any
// entropy will do; the clock stands in where random_device has none to give.
WindowHash RandomWindowHash()
{
    uint64_t seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
        std::random_device device;
        seed ^= (static_cast<uint64_t>(device()) << 32) | device();
    } catch (const std::exception&) {
    }
    WindowHash hash;
    // Bases from 256 up, so that no byte value is a multiple of a base's power.
    for (uint32_t& base : hash.bases)
        base = 256 + static_cast<uint32_t>(SplitMix(seed) % (kModulus - 512));
    return hash;
}

} // namespace

// ---------------------------------------------------------------------------
// SuffixAutomaton

SuffixAutomaton::SuffixAutomaton()
{
    AddState(0);
    link[0] = -1;
}

int32_t SuffixAutomaton::AddState(int32_t stateLength)
{
    length.push_back(stateLength);
    link.push_back(0);
    firstEdge.push_back(-1);
    return static_cast<int32_t>(length.size() - 1);
}

int32_t SuffixAutomaton::FindEdge(int32_t state, unsigned char byte) const
{
    for (int32_t edge = firstEdge[state]; edge != -1; edge = edgeNext[edge])
        if (edgeByte[edge] == byte)
            return edge;
    return -1;
}

void SuffixAutomaton::AddEdge(int32_t state, unsigned char byte, int32_t target)
{
    edgeTarget.push_back(target);
    edgeNext.push_back(firstEdge[state]);
    edgeByte.push_back(byte);
    firstEdge[state] = static_cast<int32_t>(edgeTarget.size() - 1);
}

void SuffixAutomaton::AppendByte(unsigned char byte)
{
    int32_t current = AddState(length[last] + 1);
    int32_t state = last;
    while (state != -1 && FindEdge(state, byte) == -1) {
        AddEdge(state, byte, current);
        state = link[state];
    }
    if (state == -1) {
        link[current] = 0;
    } else {
        int32_t next = edgeTarget[FindEdge(state, byte)];
        if (length[state] + 1 == length[next]) {
            link[current] = next;
        } else {
            int32_t clone = AddState(length[state] + 1);
            for (int32_t edge = firstEdge[next]; edge != -1; edge = edgeNext[edge])
                AddEdge(clone, edgeByte[edge], edgeTarget[edge]);
            link[clone] = link[next];
            for (int32_t edge; state != -1 && edgeTarget[edge = FindEdge(state, byte)] == next;
                 state = link[state])
                edgeTarget[edge] = clone;
            link[next] = clone;
            link[current] = clone;
        }
    }
    last = current;
}

void SuffixAutomaton::Append(std::string_view text)
{
    for (char c : text)
        AppendByte(static_cast<unsigned char>(c));
}

bool SuffixAutomaton::Contains(std::string_view text) const
{
    int32_t state = 0;
    for (char c : text) {
        int32_t edge = FindEdge(state, static_cast<unsigned char>(c));
        if (edge == -1)
            return false;
        state = edgeTarget[edge];
    }
    return true;
}

size_t SuffixAutomaton::MemoryUsed() const
{
    return sizeof(*this) + (length.capacity() + link.capacity() + firstEdge.capacity() + edgeTarget.capacity() +
                            edgeNext.capacity()) * sizeof(int32_t) + edgeByte.capacity();
}

// ---------------------------------------------------------------------------
// WindowSet

WindowSet::WindowSet(size_t windowLength, const WindowHash& hash, uint32_t tagMask)
    : windowLength(windowLength), bases(hash.bases), tagMask(tagMask), slots(16)
{
    for (size_t h = 0; h < 2; ++h) {
        // base^windowLength: a byte that leaves a window has been multiplied by it.
        uint32_t power = 1;
        uint32_t square = bases[h];
        for (size_t e = windowLength; e; e >>= 1) {
            if (e & 1)
                power = Reduce(static_cast<uint64_t>(power) * square);
            square = Reduce(static_cast<uint64_t>(square) * square);
        }
        for (uint32_t byte = 0; byte < 256; ++byte)
            leaving[h][byte] = Reduce(static_cast<uint64_t>(power) * byte);
    }
}

uint32_t WindowSet::Tag(uint32_t first, uint32_t second) const
{
    uint64_t both = (static_cast<uint64_t>(first) << 32) | second;
    return static_cast<uint32_t>((both * 0x9E3779B97F4A7C15ull) >> 32) & tagMask;
}

void WindowSet::Add(std::string_view text, size_t from, size_t to)
{
    // Windows that end at `from` or later begin up to windowLength - 1 bytes before
    // it; a line end among those bytes starts the hashes afresh.
    size_t at = from - std::min(from, windowLength - 1);
    uint32_t first = 0;
    uint32_t second = 0;
    size_t held = 0; // bytes of the current line in the two hashes, at most windowLength
    for (; at < to; ++at) {
        unsigned char byte = static_cast<unsigned char>(text[at]);
        if (IsLineEnd(byte)) {
            first = second = 0;
            held = 0;
            continue;
        }
        if (held == windowLength) {
            unsigned char gone = static_cast<unsigned char>(text[at - windowLength]);
            first = Reduce(static_cast<uint64_t>(first) * bases[0] + byte + (kModulus - leaving[0][gone]));
            second = Reduce(static_cast<uint64_t>(second) * bases[1] + byte + (kModulus - leaving[1][gone]));
        } else {
            first = Push(first, bases[0], byte);
            second = Push(second, bases[1], byte);
            ++held;
        }
        if (held == windowLength && at >= from)
            Insert(Tag(first, second), static_cast<uint32_t>(at + 1 - windowLength));
    }
}

void WindowSet::Insert(uint32_t tag, uint32_t start)
{
    if ((usedSlots + 1) * 4 > slots.size() * 3)
        Grow();
    ++windows;
    for (size_t i = tag & (slots.size() - 1);; i = (i + 1) & (slots.size() - 1)) {
        Slot& slot = slots[i];
        if (slot.ref == 0) {
            slot = {tag, start + 1};
            ++usedSlots;
            return;
        }
        if (slot.tag == tag) {
            // No byte comparison here: a window that repeats an earlier one is
            // kept, so an insertion never costs more than a few probes. (Node
            // indexes stay below kChained: a set holds fewer windows than the
            // text has bytes, and the text stays below 2^30.)
            nodes.push_back({start, slot.ref});
            slot.ref = kChained | static_cast<uint32_t>(nodes.size() - 1);
            return;
        }
    }
}

void WindowSet::Grow()
{
    std::vector<Slot> old(slots.size() * 2);
    old.swap(slots);
    for (const Slot& slot : old) {
        if (slot.ref == 0)
            continue;
        size_t i = slot.tag & (slots.size() - 1);
        while (slots[i].ref != 0)
            i = (i + 1) & (slots.size() - 1);
        slots[i] = slot;
    }
}

bool WindowSet::Contains(std::string_view text, std::string_view query) const
{
    uint32_t first = 0;
    uint32_t second = 0;
    for (char c : query) {
        first = Push(first, bases[0], static_cast<unsigned char>(c));
        second = Push(second, bases[1], static_cast<unsigned char>(c));
    }
    const uint32_t tag = Tag(first, second);
    for (size_t i = tag & (slots.size() - 1);; i = (i + 1) & (slots.size() - 1)) {
        const Slot& slot = slots[i];
        if (slot.ref == 0)
            return false;
        if (slot.tag != tag)
            continue;
        // Every window with this tag is on this slot's chain.
        for (uint32_t ref = slot.ref;;) {
            uint32_t start;
            if (ref & kChained) {
                const Node& node = nodes[ref & ~kChained];
                start = node.start;
                ref = node.next;
            } else {
                start = ref - 1;
                ref = 0;
            }
            if (std::memcmp(text.data() + start, query.data(), windowLength) == 0)
                return true;
            if (ref == 0)
                return false;
        }
    }
}

size_t WindowSet::MemoryUsed() const
{
    return sizeof(*this) + slots.capacity() * sizeof(Slot) + nodes.capacity() * sizeof(Node);
}

// ---------------------------------------------------------------------------
// SubstringIndex

SubstringIndex::SubstringIndex() : SubstringIndex(Settings{}) {}

SubstringIndex::SubstringIndex(const Settings& settings) : settings(settings), hash(RandomWindowHash()) {}

void SubstringIndex::Append(std::string_view piece)
{
    if (piece.size() > kMaxTextSize - gathered)
        throw std::bad_alloc();
    gathered += piece.size();
    if (automaton) {
        automaton->Append(piece);
        return;
    }
    const size_t from = text.size();
    text.append(piece);
    for (WindowSet& set : sets) {
        size_t before = set.Windows();
        set.Add(text, from, text.size());
        windowsHeld += set.Windows() - before;
    }
    if (OverWindowBudget())
        SwitchToAutomaton();
}

bool SubstringIndex::Contains(std::string_view query)
{
    if (query.empty())
        return true;
    if (automaton)
        return automaton->Contains(query);
    if (query.size() > text.size())
        return false;
    if (query.find_first_of("\r\n") != std::string_view::npos) {
        SwitchToAutomaton();
        return automaton->Contains(query);
    }
    for (const WindowSet& set : sets)
        if (set.Length() == query.size())
            return set.Contains(text, query);
    if (sets.size() == settings.maxLengths) {
        SwitchToAutomaton();
        return automaton->Contains(query);
    }
    sets.emplace_back(query.size(), hash, settings.tagMask);
    sets.back().Add(text, 0, text.size());
    windowsHeld += sets.back().Windows();
    if (OverWindowBudget()) {
        SwitchToAutomaton();
        return automaton->Contains(query);
    }
    return sets.back().Contains(text, query);
}

bool SubstringIndex::OverWindowBudget() const
{
    return static_cast<uint64_t>(windowsHeld) > static_cast<uint64_t>(settings.windowsPerTextByte) * text.size();
}

void SubstringIndex::SwitchToAutomaton()
{
    // The sets go first and the text after the build, to keep the peak low.
    sets.clear();
    sets.shrink_to_fit();
    windowsHeld = 0;
    automaton = std::make_unique<SuffixAutomaton>();
    automaton->Append(text);
    text.clear();
    text.shrink_to_fit();
}

size_t SubstringIndex::MemoryUsed() const
{
    size_t bytes = sizeof(*this) + text.capacity() + sets.capacity() * sizeof(WindowSet);
    for (const WindowSet& set : sets)
        bytes += set.MemoryUsed() - sizeof(WindowSet);
    if (automaton)
        bytes += automaton->MemoryUsed();
    return bytes;
}
