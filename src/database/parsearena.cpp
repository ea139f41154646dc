#include "database/parsearena.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace gravik {

constexpr size_t kHugePage = size_t(2) << 20;

ParseArena::ParseArena(size_t capacity)
{
    // Address space only: pages cost memory when they are touched.
    m_mappingSize = capacity + kHugePage;
    void *p = ::mmap(nullptr, m_mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) {
        m_mappingSize = 0;
        return;
    }
    m_mapping = static_cast<char *>(p);
    const auto start = (reinterpret_cast<uintptr_t>(m_mapping) + kHugePage - 1) & ~(kHugePage - 1);
    m_block = reinterpret_cast<char *>(start);
    m_size = capacity;
#ifdef MADV_HUGEPAGE
    ::madvise(m_block, m_size, MADV_HUGEPAGE);
#endif
}

ParseArena::~ParseArena()
{
    if (m_mapping)
        ::munmap(m_mapping, m_mappingSize);
}

void *ParseArena::take(size_t n)
{
    const size_t at = (m_used + 15) & ~size_t(15);
    if (!m_block || at > m_size || n > m_size - at)
        return nullptr;
    m_used = at + n;
    return m_block + at;
}

} // namespace gravik
