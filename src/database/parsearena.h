#pragma once

#include <cstddef>

namespace gravik {

// The memory of one XML parse: the file's bytes and the parser's nodes in one
// block, released at once. The block asks for 2 MB pages where the system
// offers them: in 4 KB pages a 7 MB database costs some 8000 first-touch page
// faults, which made up most of a cold start on virtual machines.
class ParseArena
{
public:
    explicit ParseArena(size_t capacity);
    ~ParseArena();
    ParseArena(const ParseArena &) = delete;
    ParseArena &operator=(const ParseArena &) = delete;

    // n bytes, 16-byte aligned; nullptr when the block is full.
    void *take(size_t n);

    // While it lives, pugixml allocates from the arena (and from the heap
    // once the arena is full). Scopes nest.
    class Active
    {
    public:
        explicit Active(ParseArena &arena);
        ~Active();
        Active(const Active &) = delete;
        Active &operator=(const Active &) = delete;

    private:
        ParseArena *m_previous;
    };

private:
    bool owns(const void *p) const;
    static void *allocate(size_t n);
    static void deallocate(void *p);

    char *m_mapping = nullptr;
    size_t m_mappingSize = 0;
    char *m_block = nullptr;
    size_t m_size = 0, m_used = 0;
    ParseArena *m_outer = nullptr; // the arena active around this one
};

} // namespace gravik
