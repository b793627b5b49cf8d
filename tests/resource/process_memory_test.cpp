#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "platform/ProcessMemory.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MZ_OWN_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MZ_OWN_ALLOCATOR 1
#endif

namespace {

void* Touched(std::size_t bytes)
{
    void* p = std::malloc(bytes);
    if (p) std::memset(p, 1, bytes);
    return p;
}

}  // namespace

// Freeing a large mapped block would otherwise move the mapping threshold up to
// its size, and the next large blocks would fragment the heap: a long session
// with OpenGL grew by 60 MiB that way.
TEST(ProcessMemory, LargeBlocksStayMappedAfterALargerOneIsFreed)
{
#if defined(MZ_OWN_ALLOCATOR) || !defined(__GLIBC__)
    GTEST_SKIP() << "only the C library's own allocator places blocks this way";
#else
    KeepLargeBlocksOutOfTheHeap();
    std::free(Touched(8u << 20));
    for (std::size_t size : {std::size_t{1} << 20, std::size_t{256} << 10}) {
        const std::size_t before = mallinfo2().hblkhd;
        void* p = Touched(size);
        ASSERT_NE(p, nullptr);
        const std::size_t mapped = mallinfo2().hblkhd;
        std::free(p);
        EXPECT_GE(mapped - before, size) << size << " bytes went into the heap";
        EXPECT_EQ(mallinfo2().hblkhd, before) << "and are given back when freed";
    }
#endif
}

TEST(ProcessMemory, PeakResidentSetCoversWhatWasTouched)
{
    void* p = Touched(16u << 20);
    ASSERT_NE(p, nullptr);
    EXPECT_GE(PeakResidentKiB(), 16 * 1024);
    std::free(p);
}
