// Test support: bytes of heap in use, measured alike in plain and sanitized builds.
#include "support/heap.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) && !defined(__SANITIZE_ADDRESS__)
#define __SANITIZE_ADDRESS__ 1
#endif
#endif

#ifdef __SANITIZE_ADDRESS__
// AddressSanitizer serves every allocation from its own heap, which glibc's statistics
// never see; it keeps its own count of the bytes handed out and not yet freed. GCC ships
// no header for its interface, so the one function is declared here.
#include <cstddef>

extern "C" size_t __sanitizer_get_current_allocated_bytes(void);

long heapinuse()
{
    return static_cast<long>(__sanitizer_get_current_allocated_bytes());
}
#else
#include <malloc.h>

long heapinuse()
{
    struct mallinfo2 m = mallinfo2();
    return static_cast<long>(m.uordblks + m.hblkhd);
}
#endif
