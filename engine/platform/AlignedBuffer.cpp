#include "platform/AlignedBuffer.h"

#include <unistd.h>

#include <cstdlib>
#include <new>
#include <utility>

namespace platform {

size_t TAlignedBuffer::PageSize() {
    static const size_t page = [] {
        const long size = ::sysconf(_SC_PAGESIZE);
        return size > 0 ? static_cast<size_t>(size) : size_t{4096};
    }();
    return page;
}

TAlignedBuffer::~TAlignedBuffer() {
    std::free(Memory);
}

TAlignedBuffer::TAlignedBuffer(TAlignedBuffer&& other) noexcept
    : Memory(std::exchange(other.Memory, nullptr)), Length(std::exchange(other.Length, 0)) {}

TAlignedBuffer& TAlignedBuffer::operator=(TAlignedBuffer&& other) noexcept {
    if (this != &other) {
        std::free(Memory);
        Memory = std::exchange(other.Memory, nullptr);
        Length = std::exchange(other.Length, 0);
    }
    return *this;
}

void TAlignedBuffer::Reserve(size_t size) {
    if (size <= Length)
        return;
    const size_t page = PageSize();
    const size_t rounded = (size + page - 1) / page * page;
    void* memory = nullptr;
    if (::posix_memalign(&memory, page, rounded) != 0)
        throw std::bad_alloc();
    std::free(Memory);
    Memory = static_cast<char*>(memory);
    Length = rounded;
}

}  // namespace platform
