#include "allocation_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};

}  // namespace

// The whole test program allocates through these, so a test can show a call allocates nothing.
void* operator new(std::size_t size) {
    if (g_counting.load())
        ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace tvx::test {

void StartCountingAllocations() {
    g_allocations = 0;
    g_counting = true;
}

long StopCountingAllocations() {
    g_counting = false;
    return g_allocations.load();
}

}  // namespace tvx::test
