#include "LineEnds.h"

#include <algorithm>
#include <cstring>

namespace LineEnds {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsHeld(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

}  // namespace

bool LooksLikeText(std::string_view start) {
    start = start.substr(0, TextProbeSize);
    return std::memchr(start.data(), '\0', start.size()) == nullptr;
}

std::string_view Strip(std::string_view line, bool endsWithLf) {
    if (endsWithLf && !line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    return line;
}

void TNormaliser::Reset() {
    Held.clear();
    Released = 0;
    After = -1;
}

void TNormaliser::Hold(char byte) {
    if (!Held.empty() && Held.back().Byte == byte)
        ++Held.back().Count;
    else
        Held.push_back({byte, 1});
}

void TNormaliser::DropTrailingBlanks() {
    while (!Held.empty() && IsBlank(Held.back().Byte))
        Held.pop_back();
}

bool TNormaliser::Release(std::string& out, size_t& room) {
    while (Released < Held.size()) {
        TRun& run = Held[Released];
        const size_t n = static_cast<size_t>(std::min<uint64_t>(run.Count, room));
        out.append(n, run.Byte);
        room -= n;
        run.Count -= n;
        if (run.Count != 0)
            return false;
        ++Released;
    }
    Held.clear();
    Released = 0;
    return true;
}

size_t TNormaliser::Feed(std::string_view in, std::string& out, size_t room) {
    size_t taken = 0;
    while (true) {
        if (!Held.empty() && After >= 0) {
            if (!Release(out, room))
                return taken;
        }
        if (After >= 0) {
            if (room == 0)
                return taken;
            out.push_back(static_cast<char>(After));
            --room;
            After = -1;
        }
        // Ordinary bytes go out in one piece up to the next blank, CR or LF.
        while (taken < in.size() && room > 0) {
            const char c = in[taken];
            if (IsHeld(c) || c == '\n')
                break;
            if (!Held.empty()) {
                After = static_cast<unsigned char>(c);
                ++taken;
                break;
            }
            size_t end = taken + 1;
            const size_t limit = std::min(in.size(), taken + room);
            while (end < limit && !IsHeld(in[end]) && in[end] != '\n')
                ++end;
            out.append(in.data() + taken, end - taken);
            room -= end - taken;
            taken = end;
        }
        if (After >= 0)
            continue;
        if (taken == in.size() || room == 0)
            return taken;
        const char c = in[taken++];
        if (c == '\n') {
            if (!Held.empty() && Held.back().Byte == '\r' && --Held.back().Count == 0)
                Held.pop_back();
            DropTrailingBlanks();
            After = '\n';
        } else {
            Hold(c);
        }
    }
}

bool TNormaliser::Finish(std::string& out, size_t room) {
    if (After >= 0) {
        // A byte still waiting behind held runs: Feed with nothing sends it.
        Feed({}, out, room);
        return false;
    }
    if (Released == 0)
        DropTrailingBlanks();
    return Release(out, room);
}

}  // namespace LineEnds
