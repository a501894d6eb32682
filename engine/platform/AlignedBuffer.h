#pragma once

#include <cstddef>

namespace platform {

// Memory that starts on a page boundary, owned for the buffer's life and
// reused: every buffer that read(2) fills or that feeds a copy is one of
// these. On some processors the kernel's copy into user memory runs several
// times slower when the destination is not 64-byte aligned, and the heap
// hands out large blocks 16 bytes into a page.
class TAlignedBuffer {
public:
    TAlignedBuffer() = default;
    // Holds size bytes (the memory is rounded up to whole pages). Throws
    // std::bad_alloc when there is no memory.
    explicit TAlignedBuffer(size_t size) { Reserve(size); }
    ~TAlignedBuffer();
    TAlignedBuffer(TAlignedBuffer&& other) noexcept;
    TAlignedBuffer& operator=(TAlignedBuffer&& other) noexcept;
    TAlignedBuffer(const TAlignedBuffer&) = delete;
    TAlignedBuffer& operator=(const TAlignedBuffer&) = delete;

    // Makes the buffer hold at least size bytes. Keeps the memory when it is
    // large enough, otherwise replaces it (the contents are not kept).
    // Throws std::bad_alloc.
    void Reserve(size_t size);

    char* Data() { return Memory; }
    const char* Data() const { return Memory; }
    // The bytes the buffer holds; 0 before the first Reserve.
    size_t Size() const { return Length; }

    static size_t PageSize();

private:
    char* Memory = nullptr;
    size_t Length = 0;
};

}  // namespace platform
