// Answers "does this text occur anywhere in everything appended so far" in time
// proportional to the query, however long the gathered text grows.
#include "substring_index.h"

SubstringIndex::SubstringIndex()
{
    AddState(0);
    link[0] = -1;
}

int32_t SubstringIndex::AddState(int32_t stateLength)
{
    length.push_back(stateLength);
    link.push_back(0);
    firstEdge.push_back(-1);
    return static_cast<int32_t>(length.size() - 1);
}

int32_t SubstringIndex::FindEdge(int32_t state, unsigned char byte) const
{
    for (int32_t edge = firstEdge[state]; edge != -1; edge = edgeNext[edge])
        if (edgeByte[edge] == byte)
            return edge;
    return -1;
}

void SubstringIndex::AddEdge(int32_t state, unsigned char byte, int32_t target)
{
    edgeTarget.push_back(target);
    edgeNext.push_back(firstEdge[state]);
    edgeByte.push_back(byte);
    firstEdge[state] = static_cast<int32_t>(edgeTarget.size() - 1);
}

void SubstringIndex::AppendByte(unsigned char byte)
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

void SubstringIndex::Append(std::string_view text)
{
    for (char c : text)
        AppendByte(static_cast<unsigned char>(c));
}

bool SubstringIndex::Contains(std::string_view text) const
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
