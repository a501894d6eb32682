#include "TMtreeWriter.h"

#include <cinttypes>
#include <cstdio>

#include "MtreeText.h"
#include "TMtreeParser.h"

namespace {

constexpr size_t BlockSize = 64 * 1024;

const char* TypeName(TFileKind kind) {
    switch (kind) {
        case TFileKind::Directory:
            return "dir";
        case TFileKind::Fifo:
            return "fifo";
        case TFileKind::CharDevice:
            return "char";
        case TFileKind::BlockDevice:
            return "block";
        case TFileKind::Socket:
            return "socket";
        case TFileKind::Link:
        case TFileKind::Dangling:
            return "link";
        default:
            return "file";
    }
}

}  // namespace

TMtreeWriter::TMtreeWriter(TOutput output) : Output(std::move(output)) {
    Buffer.reserve(BlockSize + 4096);
}

void TMtreeWriter::Flush() {
    if (!Buffer.empty() && !OutputFailed && !Output(Buffer))
        OutputFailed = true;
    Buffer.clear();
}

void TMtreeWriter::FlushWhenFull() {
    if (Buffer.size() >= BlockSize)
        Flush();
}

void TMtreeWriter::WriteHeader(const TMtreeHeader& header) {
    Buffer.append("#mtree\n");
    auto line = [this](std::string_view key, std::string_view value) {
        Buffer.append(key);
        AppendEscapedText(Buffer, value);
        Buffer.push_back('\n');
    };
    // The tool's line is the one readers look for, so it is written as it stands.
    Buffer.append(TMtreeParser::ToolComment).append(header.Tool).push_back('\n');
    line("#\t   tree: ", header.Tree);
    line("#\t   host: ", header.Host);
    line("#\t   date: ", header.Date);
    line("#\toptions: ", header.Options);
    Buffer.push_back('\n');
    FlushWhenFull();
}

void TMtreeWriter::WriteComment(std::string_view text) {
    Buffer.append("# ");
    AppendEscapedText(Buffer, text);
    Buffer.push_back('\n');
    FlushWhenFull();
}

void TMtreeWriter::WriteEntry(std::string_view relDir, std::string_view name, TFileKind kind,
                              int64_t size, const TEntryFacts& facts) {
    if (name.empty()) {
        Buffer.push_back('.');
    } else {
        Buffer.append("./");
        while (!relDir.empty()) {
            size_t slash = relDir.find('/');
            AppendEscapedName(Buffer, relDir.substr(0, slash));
            Buffer.push_back('/');
            if (slash == std::string_view::npos)
                break;
            relDir.remove_prefix(slash + 1);
        }
        AppendEscapedName(Buffer, name);
    }
    char number[96];
    Buffer.append(" type=").append(TypeName(kind));
    if (facts.Recorded & TEntryFacts::HasMode) {
        std::snprintf(number, sizeof number, " mode=%04o", static_cast<unsigned>(facts.Mode));
        Buffer.append(number);
    }
    if (facts.Recorded & TEntryFacts::HasOwner) {
        std::snprintf(number, sizeof number, " uid=%u gid=%u", facts.Uid, facts.Gid);
        Buffer.append(number);
    }
    if (facts.Recorded & TEntryFacts::HasLinks) {
        std::snprintf(number, sizeof number, " nlink=%u", facts.Links);
        Buffer.append(number);
    }
    if ((facts.Recorded & TEntryFacts::HasSize) && kind == TFileKind::Regular) {
        std::snprintf(number, sizeof number, " size=%" PRId64, size);
        Buffer.append(number);
    }
    if (facts.Recorded & TEntryFacts::HasTime) {
        std::snprintf(number, sizeof number, " time=%" PRId64 ".%09u", facts.Seconds,
                      facts.Nanoseconds);
        Buffer.append(number);
    }
    if (facts.LinkTarget && (kind == TFileKind::Link || kind == TFileKind::Dangling)) {
        Buffer.append(" link=");
        AppendEscapedName(Buffer, *facts.LinkTarget);
    }
    if (facts.Digest.Kind != platform::TDigestKind::None) {
        Buffer.push_back(' ');
        Buffer.append(facts.Digest.Kind == platform::TDigestKind::Sha256 ? MtreeKeyword::Sha256
                                                                         : MtreeKeyword::Xxh128);
        Buffer.push_back('=');
        Buffer.append(platform::DigestHex(facts.Digest));
    }
    Buffer.push_back('\n');
    ++Count;
    FlushWhenFull();
}

bool TMtreeWriter::Finish() {
    Buffer.append("\n").append(TMtreeParser::CountComment).append(std::to_string(Count));
    Buffer.push_back('\n');
    Flush();
    return !OutputFailed;
}
