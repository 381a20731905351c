#include "heap_counter.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* p);
}

namespace {

std::atomic<long long> live{0};
std::atomic<long long> peak{0};

void counted(long long change) {
    const long long now = live += change;
    long long high = peak.load();
    while (now > high && !peak.compare_exchange_weak(high, now)) {
    }
}
void* added(void* p) {
    if (p)
        counted(static_cast<long long>(malloc_usable_size(p)));
    return p;
}

} // namespace

extern "C" {
void* malloc(std::size_t size) noexcept {
    return added(__libc_malloc(size));
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    return added(__libc_calloc(count, size));
}
void* memalign(std::size_t alignment, std::size_t size) noexcept {
    return added(__libc_memalign(alignment, size));
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    return added(__libc_memalign(alignment, size));
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
    void* p = added(__libc_memalign(alignment, size));
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}
void free(void* p) noexcept {
    if (p)
        counted(-static_cast<long long>(malloc_usable_size(p)));
    __libc_free(p);
}
void* realloc(void* p, std::size_t size) noexcept {
    const long long before = p ? static_cast<long long>(malloc_usable_size(p)) : 0;
    void* q = __libc_realloc(p, size);
    if (q)
        counted(static_cast<long long>(malloc_usable_size(q)) - before);
    else if (size == 0)
        counted(-before);
    return q;
}
}

namespace volmarin::heap {

long long liveBytes() {
    return live.load();
}

long long peakGrowthDuring(void (*f)(void*), void* context) {
    const long long start = live.load();
    peak = start;
    f(context);
    return peak.load() - start;
}

} // namespace volmarin::heap
