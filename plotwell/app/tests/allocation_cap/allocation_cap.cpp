// Preloaded into a program under test (LD_PRELOAD): a single allocation larger than
// PLOTWELL_ALLOCATION_CAP bytes ends the process at once with status 86 and a line on standard
// error naming the size, so that a test sees an allocation that a bounded program never makes.
// The C library's own entry points do the work; free needs no change.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
}

namespace {
std::size_t allocation_cap()
{
    static const std::size_t cap = [] {
        const char* text = std::getenv("PLOTWELL_ALLOCATION_CAP");
        return text && *text ? std::size_t(std::strtoull(text, nullptr, 10)) : ~std::size_t(0);
    }();
    return cap;
}

void check_allocation(std::size_t bytes)
{
    if (bytes <= allocation_cap()) return;
    char line[96];
    const int n = std::snprintf(line, sizeof line, "allocation of %zu bytes above the cap\n", bytes);
    if (n > 0) (void)!write(2, line, std::size_t(n));
    _exit(86);
}
} // namespace

extern "C" {
void* malloc(std::size_t bytes)
{
    check_allocation(bytes);
    return __libc_malloc(bytes);
}

void* calloc(std::size_t count, std::size_t size)
{
    if (size && count > ~std::size_t(0) / size) return __libc_calloc(count, size); // fails by itself
    check_allocation(count * size);
    return __libc_calloc(count, size);
}

void* realloc(void* block, std::size_t bytes)
{
    check_allocation(bytes);
    return __libc_realloc(block, bytes);
}

void* memalign(std::size_t alignment, std::size_t bytes)
{
    check_allocation(bytes);
    return __libc_memalign(alignment, bytes);
}

void* aligned_alloc(std::size_t alignment, std::size_t bytes) { return memalign(alignment, bytes); }

int posix_memalign(void** out, std::size_t alignment, std::size_t bytes)
{
    void* block = memalign(alignment, bytes);
    if (!block) return 12; // ENOMEM
    *out = block;
    return 0;
}
}
