#include "TMtreeWriter.h"

#include <charconv>

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

template <class T>
void TMtreeWriter::AppendNumber(std::string_view key, T value) {
    char text[24];
    Buffer.append(key);
    Buffer.append(text, std::to_chars(text, text + sizeof text, value).ptr);
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

void TMtreeWriter::AppendPath(std::string_view relDir, std::string_view name) {
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

void TMtreeWriter::WriteUnreadable(std::string_view relPath, int error) {
    const size_t slash = relPath.rfind('/');
    Buffer.append(TMtreeParser::UnreadableComment).append(std::to_string(error)).push_back(' ');
    if (slash == std::string_view::npos)
        AppendPath("", relPath);
    else
        AppendPath(relPath.substr(0, slash), relPath.substr(slash + 1));
    Buffer.push_back('\n');
    FlushWhenFull();
}

void TMtreeWriter::WriteEntry(std::string_view relDir, std::string_view name, TFileKind kind,
                              int64_t size, const TEntryFacts& facts) {
    if (name.empty())
        Buffer.push_back('.');
    else
        AppendPath(relDir, name);
    Buffer.append(" type=").append(TypeName(kind));
    if (facts.Recorded & TEntryFacts::HasMode) {
        // Four octal digits, as mtree writes them ("0644").
        const unsigned mode = facts.Mode & 07777;
        const char digits[] = {' ',
                               'm',
                               'o',
                               'd',
                               'e',
                               '=',
                               char('0' + (mode >> 9)),
                               char('0' + ((mode >> 6) & 7)),
                               char('0' + ((mode >> 3) & 7)),
                               char('0' + (mode & 7))};
        Buffer.append(digits, sizeof digits);
    }
    if (facts.Recorded & TEntryFacts::HasOwner) {
        AppendNumber(" uid=", facts.Uid);
        AppendNumber(" gid=", facts.Gid);
    }
    if (facts.Recorded & TEntryFacts::HasLinks)
        AppendNumber(" nlink=", facts.Links);
    if ((facts.Recorded & TEntryFacts::HasSize) && kind == TFileKind::Regular)
        AppendNumber(" size=", size);
    if (facts.Recorded & TEntryFacts::HasTime) {
        AppendNumber(" time=", facts.Seconds);
        // Nanoseconds in nine digits, as the tools write and read them.
        char nine[10] = {'.', '0', '0', '0', '0', '0', '0', '0', '0', '0'};
        uint32_t ns = facts.Nanoseconds % 1000000000u;
        for (int i = 9; i >= 1; --i, ns /= 10)
            nine[i] = char('0' + ns % 10);
        Buffer.append(nine, sizeof nine);
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
