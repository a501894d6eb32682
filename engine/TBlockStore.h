#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// Objects made one at a time that never move: kept in blocks of Count
// objects, each block allocated whole. A std::deque allocates every 512 bytes
// on their own, each with the allocator's header, and objects of 80 bytes fill
// only 480 of them; for lists of millions of entries that is megabytes.
template <class T, size_t Count = 256>
class TBlockStore {
public:
    // A new object, made by T's default constructor (blocks are made whole).
    // Throws std::bad_alloc.
    T& Add() {
        if (Blocks.empty() || Used == Count) {
            Blocks.reserve(Blocks.size() + 1);
            Blocks.push_back(std::make_unique<T[]>(Count));
            Used = 0;
        }
        return Blocks.back()[Used++];
    }

private:
    std::vector<std::unique_ptr<T[]>> Blocks;
    size_t Used = 0;  // objects handed out of the last block
};
