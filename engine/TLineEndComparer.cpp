#include "TLineEndComparer.h"

#include <algorithm>
#include <cstring>

TLineEndComparer::TLineEndComparer(std::function<bool()> stopRequested)
    : StopRequested(std::move(stopRequested)) {
    M.Block.resize(BlockSize);
    S.Block.resize(BlockSize);
}

bool TLineEndComparer::ReadBlock(TSide& side) {
    if (StopRequested && StopRequested())
        return false;
    const int64_t count = side.Reader.ReadFull(side.Block.data(), side.Block.size());
    if (count < 0)
        return false;
    side.BlockCount = static_cast<size_t>(count);
    side.BlockUsed = 0;
    // ReadFull fills the block unless the file ends.
    side.Ended = side.BlockCount < side.Block.size();
    return true;
}

bool TLineEndComparer::Start(TSide& side, const std::string& path) {
    side.Normaliser.Reset();
    side.Out.clear();
    side.Ended = side.Finished = false;
    side.BlockCount = side.BlockUsed = 0;
    TFileKind kind = TFileKind::Regular;
    if (side.Reader.Open(path, kind) != platform::TFileReader::TOpenResult::Opened)
        return false;
    if (!ReadBlock(side))
        return false;
    return LineEnds::LooksLikeText(std::string_view(side.Block.data(), side.BlockCount));
}

bool TLineEndComparer::Produce(TSide& side) {
    while (!side.Finished && side.Out.size() < BlockSize) {
        const size_t room = 2 * BlockSize - side.Out.size();
        if (side.BlockUsed < side.BlockCount) {
            side.BlockUsed +=
                side.Normaliser.Feed(std::string_view(side.Block.data() + side.BlockUsed,
                                                      side.BlockCount - side.BlockUsed),
                                     side.Out, room);
        } else if (!side.Ended) {
            if (!ReadBlock(side))
                return false;
        } else {
            side.Finished = side.Normaliser.Finish(side.Out, room);
        }
    }
    return true;
}

bool TLineEndComparer::Alike(const std::string& pathM, const std::string& pathS) {
    bool alike = false;
    try {
        if (Start(M, pathM) && Start(S, pathS)) {
            while (Produce(M) && Produce(S)) {
                const size_t n = std::min(M.Out.size(), S.Out.size());
                if (std::memcmp(M.Out.data(), S.Out.data(), n) != 0)
                    break;
                M.Out.erase(0, n);
                S.Out.erase(0, n);
                if (M.Finished && S.Finished && M.Out.empty() && S.Out.empty()) {
                    alike = true;
                    break;
                }
                // One side is at its end with the other holding more.
                if ((M.Finished && M.Out.empty()) || (S.Finished && S.Out.empty()))
                    break;
            }
        }
    } catch (...) {
        // Memory exhausted: not alike, the row keeps its text.
    }
    M.Reader.Close();
    S.Reader.Close();
    return alike;
}
