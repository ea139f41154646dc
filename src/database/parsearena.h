#pragma once

#include <cstddef>

namespace gravik {

// The bytes of a file being read, in one block released at once. The block
// asks for 2 MB pages where the system offers them: in 4 KB pages a 7 MB
// database costs some 1800 first-touch page faults, a good part of a cold
// start on virtual machines.
class ParseArena
{
public:
    explicit ParseArena(size_t capacity);
    ~ParseArena();
    ParseArena(const ParseArena &) = delete;
    ParseArena &operator=(const ParseArena &) = delete;

    // n bytes, 16-byte aligned; nullptr when the block is full.
    void *take(size_t n);

private:
    char *m_mapping = nullptr;
    size_t m_mappingSize = 0;
    char *m_block = nullptr;
    size_t m_size = 0, m_used = 0;
};

} // namespace gravik
