#include "TRemoteServer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include <algorithm>
#include <optional>

#include "TCompare.h"
#include "TExcludeFilter.h"
#include "TFolderLister.h"
#include "TMtreeWriter.h"
#include "TRemoteDigests.h"
#include "TRemoteProtocol.h"
#include "TSnapshotWriter.h"
#include "platform/Directory.h"
#include "platform/StandardStreams.h"

namespace {

// The near side's requests, read on a thread of their own so that the end of
// the input is seen at once, while the tree is still being listed.
class TRequestReader {
public:
    void Start() {
        Thread = std::thread([this] { Run(); });
        Thread.detach();
    }
    // The next request line; waits for it.
    std::string Next() {
        std::unique_lock<std::mutex> lock(Lock);
        Ready.wait(lock, [this] { return !Lines.empty(); });
        std::string line = std::move(Lines.front());
        Lines.pop_front();
        return line;
    }

private:
    void Run() {
        char buffer[64 * 1024];
        std::string partial;
        while (true) {
            long n = platform::ReadStandardInput(buffer, sizeof buffer);
            // The near side is done, was stopped or went away: nothing
            // this side does is wanted any more.
            if (n <= 0)
                platform::ExitNow(0);
            partial.append(buffer, static_cast<size_t>(n));
            size_t start = 0;
            std::lock_guard<std::mutex> guard(Lock);
            for (size_t end; (end = partial.find('\n', start)) != std::string::npos;
                 start = end + 1)
                Lines.push_back(partial.substr(start, end - start));
            partial.erase(0, start);
            Ready.notify_one();
        }
    }

    std::thread Thread;
    std::mutex Lock;
    std::condition_variable Ready;
    std::deque<std::string> Lines;
};

}  // namespace

bool IsServeCommand(const std::vector<std::string>& arguments) {
    return arguments.size() >= 2 && arguments[1] == RemoteProtocol::ServeWord;
}

int RunRemoteServer(const std::vector<std::string>& arguments) {
    platform::TStandardOutput out;
    out.Write(RemoteProtocol::Greeting(TANDRIL_VERSION) + "\n");
    auto fail = [&out](int code, const std::string& text) {
        out.Write(RemoteProtocol::Failure(code, text) + "\n");
        out.Flush();
        return 0;
    };
    if (arguments.size() < 3)
        return fail(CompareStatus::RuntimeFailure, "/serve: no folder");
    const std::string& root = arguments[2];
    std::vector<std::string> patterns;
    bool caseSensitive = false;
    bool facts = false;  // for a snapshot: all it records
    for (size_t i = 3; i < arguments.size(); ++i) {
        if (arguments[i] == "/casesensitive") {
            caseSensitive = true;
        } else if (arguments[i] == "/facts") {
            facts = true;
        } else if (arguments[i] == "/exclude" && i + 1 < arguments.size()) {
            patterns.push_back(arguments[++i]);
        } else {
            return fail(CompareStatus::RuntimeFailure, "/serve: unknown word " + arguments[i]);
        }
    }
    for (const std::string& pattern : patterns) {
        if (!TExcludeFilter::CheckPattern(pattern).empty())
            return fail(CompareStatus::RuntimeFailure, "/serve: bad pattern " + pattern);
    }
    TRequestReader requests;
    requests.Start();
    if (!platform::IsFolder(root))
        return fail(CompareStatus::BadPathM, root);

    // The entries go out as they are listed, in blocks, while the near side
    // lists its own tree. For a comparison only what it reads is written
    // (type, size, time and mode); for a snapshot also owner, group, link
    // count and the target of a link that leads nowhere.
    TMtreeWriter writer([&out](std::string_view block) { return out.Write(block) && out.Flush(); });
    writer.WriteHeader({std::string("TandrilB ") + TANDRIL_VERSION, root, "", "", ""});
    writer.WriteEntry("", "", TFileKind::Directory, 0,
                      facts ? TSnapshotWriter::FolderFacts(root) : TEntryFacts());
    std::optional<TExcludeFilter> filter;
    if (!patterns.empty())
        filter.emplace(patterns, caseSensitive);
    TEntryList list;
    std::vector<const TSearchRecEx*> streamed{nullptr};
    const std::atomic<bool> never{false};
    TFolderLister lister(list, never, filter ? &*filter : nullptr, true);
    lister.SetOnListed([&writer, &streamed, all = facts](const TSearchRecEx& entry) {
        TEntryFacts facts = entry.Facts ? *entry.Facts : TEntryFacts();
        if (!all)
            facts.Recorded &= ~(TEntryFacts::HasOwner | TEntryFacts::HasLinks);
        // For a comparison a dangling link is what a comparison sees: a file
        // of size 0 whose bytes cannot be read (its digest then fails as
        // opening it does).
        TFileKind kind = entry.Kind;
        if (kind == TFileKind::Dangling && !all) {
            kind = TFileKind::Regular;
            facts.LinkTarget = nullptr;
        }
        writer.WriteEntry(entry.RelDir(), entry.Name, kind, entry.Size, facts);
        streamed.push_back(&entry);
    });
    lister.ListTree(root);
    // Folders whose names could not be read here: the near side must not
    // take what it holds below them for missing.
    for (const TSearchRecEx* folder : list.Unreadable())
        writer.WriteUnreadable(folder->RelPath(), folder->ListError);
    if (!writer.Finish())
        return 1;

    const int workers = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 4);
    TRemoteDigests digests(std::move(streamed), out, workers);
    while (true) {
        if (!digests.Post(requests.Next()))
            return fail(CompareStatus::RuntimeFailure, "/serve: bad request");
    }
}
