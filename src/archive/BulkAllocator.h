// Storage for the catalogue. Entries are 524 bytes, so a large archive's
// catalogue runs to hundreds of megabytes; taking it in huge pages where the
// system allows cuts the page faults of filling it (and of freeing it) by
// orders of magnitude.
#pragma once

#include <cstddef>
#include <new>
#include <sys/mman.h>

namespace korvane {

template <class T>
struct TBulkAllocator {
    using value_type = T;
    static constexpr size_t kBulkBytes = size_t(8) << 20;
    static constexpr size_t kPage = size_t(2) << 20;

    TBulkAllocator() = default;
    template <class U>
    TBulkAllocator(const TBulkAllocator<U>&) noexcept {}

    static size_t MappedBytes(size_t n) { return (n * sizeof(T) + kPage - 1) & ~(kPage - 1); }

    T* allocate(size_t n)
    {
        if (n > size_t(-1) / sizeof(T)) throw std::bad_alloc();
        if (n * sizeof(T) < kBulkBytes) return static_cast<T*>(::operator new(n * sizeof(T)));
        void* p = ::mmap(nullptr, MappedBytes(n), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        ::madvise(p, MappedBytes(n), MADV_HUGEPAGE);  // advice only; failure is harmless
        return static_cast<T*>(p);
    }

    void deallocate(T* p, size_t n) noexcept
    {
        if (n * sizeof(T) < kBulkBytes)
            ::operator delete(p);
        else
            ::munmap(p, MappedBytes(n));
    }

    friend bool operator==(const TBulkAllocator&, const TBulkAllocator&) { return true; }
};

}  // namespace korvane
