#include "TRemoteSource.h"

#include <charconv>

#include "ContentText.h"
#include "RowText.h"
#include "TCompare.h"
#include "TContentComparer.h"
#include "TMtreeParser.h"
#include "TRemoteProtocol.h"
#include "TSnapshotBuilder.h"
#include "platform/Collator.h"

namespace {

// Requests are sent once this many bytes are queued, or when a digest is
// waited for: a line per request would cost a system call per file.
constexpr size_t SendBatch = 16 * 1024;
// How long Close lets the far side end by itself before ssh is ended: after
// a whole run, and after a stop. The end of its input, which ssh passes on,
// ends the far side at once; ending ssh first would leave the far side to
// learn of it only when its sshd notices the lost connection.
constexpr int CloseWaitMs = 1000;
constexpr int StopWaitMs = 100;

}  // namespace

bool IsValidSide(const std::string& path) {
    TRemoteUrl url;
    return IsRemoteUrl(path) ? ParseRemoteUrl(path, url) : IsComparableSide(path);
}

TRemoteSource::TRemoteSource(std::string url, TRemoteSettings settings,
                             std::vector<std::string> exclude, bool caseSensitive)
    : Url(std::move(url)),
      Settings(std::move(settings)),
      Exclude(std::move(exclude)),
      CaseSensitive(caseSensitive) {
    ParseRemoteUrl(Url, Parsed);
}

TRemoteSource::~TRemoteSource() {
    Close();
}

TListOutcome TRemoteSource::List(TEntryList& list, const TListRequest& request) {
    TListOutcome outcome;
    auto fail = [&outcome](int status, const std::string& message) {
        outcome.Status = status;
        outcome.Message = message;
        return outcome;
    };
    Channel = std::make_unique<TRemoteChannel>(Parsed, Settings, request.Stop);
    std::vector<std::string> words{std::string(RemoteProtocol::ServeWord), Parsed.Path};
    for (const std::string& pattern : Exclude) {
        words.push_back("/exclude");
        words.push_back(pattern);
    }
    if (CaseSensitive)
        words.push_back("/casesensitive");
    // For a snapshot: owner, group and link count too, and links that lead
    // nowhere as links.
    if (request.Facts)
        words.push_back("/facts");
    if (Channel->Open(words) != 0)
        return fail(Channel->GetStatus(), Channel->GetMessage());

    // The root's name as rows show it: the URL, so that a far entry never
    // passes for a local one.
    TSnapshotBuilder builder(list, IncludeTrailingDelimiter(Url), request.Exclude);
    bool ordered = true;
    TMtreeParser parser([&](const TMtreeRecord& record, std::string& reason) {
        if (StreamCount == 0)
            FirstLine = record.Line;
        if (record.Path.empty())
            Root = record.Facts;
        // One line per entry, so that a request can name an entry by its place.
        if (record.Line != FirstLine + StreamCount)
            ordered = false;
        ++StreamCount;
        return ordered && builder.Add(record, reason);
    });
    // Folders the far side could not read: what lies below them here is not
    // taken for missing there.
    parser.SetUnreadableSink([&builder](const std::string& path, int error, std::string& reason) {
        return builder.MarkUnreadable(path, error, reason);
    });
    std::string line;
    bool first = true;
    while (true) {
        const TRemoteChannel::TRead read = Channel->ReadLine(line);
        if (read == TRemoteChannel::TRead::Stopped) {
            outcome.Result = -1;
            outcome.Delivered = !first;
            return outcome;
        }
        if (read == TRemoteChannel::TRead::Failed)
            return fail(Channel->GetStatus(), Channel->GetMessage());
        if (read == TRemoteChannel::TRead::End)
            return fail(Channel->EndStatus(), Channel->GetMessage());
        int code = 0;
        std::string text;
        if (first && RemoteProtocol::ParseFailure(line, code, text)) {
            // The far folder is none: the side's own bad-path status.
            Channel->FarFailure(code, text);
            return fail(code, Channel->GetMessage());
        }
        first = false;
        line += '\n';
        if (!parser.Feed(line))
            break;
        if (line.starts_with(TMtreeParser::CountComment))
            break;
    }
    if (!ordered || !parser.Finish()) {
        const std::string reason = ordered ? parser.ErrorText() : "1 行に 1 項目ではありません";
        Channel->Refuse(parser.ErrorLine(), reason);
        return fail(Channel->GetStatus(), Channel->GetMessage());
    }
    outcome.Delivered = true;
    platform::TCollator collator;
    if (!list.Sort(collator, &request.Stop, request.CaseSensitive)) {
        outcome.Result = -1;
        return outcome;
    }
    outcome.Sorted = true;
    if (const auto [a, b] = list.FindRepeatedPath(); b) {
        Channel->Refuse(std::max(a->Facts->Line, b->Facts->Line),
                        "パスが重複しています: ./" + b->RelPath());
        return fail(Channel->GetStatus(), Channel->GetMessage());
    }
    {
        std::lock_guard<std::mutex> guard(Lock);
        Replies.assign(StreamCount, TReply());
    }
    Reader = std::thread(&TRemoteSource::ReadReplies, this);
    outcome.Result = builder.Count();
    return outcome;
}

long TRemoteSource::Ordinal(const TSearchRecEx& entry) const {
    if (!entry.Facts || entry.Facts->Line < FirstLine)
        return -1;
    const uint64_t ordinal = entry.Facts->Line - FirstLine;
    return ordinal < StreamCount ? static_cast<long>(ordinal) : -1;
}

void TRemoteSource::Ask(size_t ordinal, platform::TDigestKind kind) {
    TReply& reply = Replies[ordinal];
    if (reply.State != TReply::TState::None && reply.Kind == kind)
        return;
    reply = TReply();
    reply.State = TReply::TState::Asked;
    reply.Kind = kind;
    AskedOrder.push_back(ordinal);
    Queue += kind == platform::TDigestKind::Sha256 ? 's' : 'x';
    Queue += std::to_string(ordinal);
    Queue += '\n';
}

void TRemoteSource::SendQueued() {
    std::lock_guard<std::mutex> sending(SendLock);
    std::string batch;
    {
        std::lock_guard<std::mutex> guard(Lock);
        batch.swap(Queue);
    }
    if (!batch.empty() && Channel && !Channel->Send(batch) && Channel->GetStatus() != 0)
        Failed(Channel->GetStatus(), Channel->GetMessage());
}

void TRemoteSource::WillNeedDigest(const TSearchRecEx& entry, platform::TDigestKind kind) {
    const long ordinal = Ordinal(entry);
    if (ordinal < 0)
        return;
    bool send;
    {
        std::lock_guard<std::mutex> guard(Lock);
        if (Closed || FailStatus != 0)
            return;
        Ask(static_cast<size_t>(ordinal), kind);
        send = Queue.size() >= SendBatch;
    }
    if (send)
        SendQueued();
}

int TRemoteSource::Digest(const TSearchRecEx& entry, platform::TDigestKind kind, TDigestWork& work,
                          platform::TDigestValue& out, std::string& reason) {
    const long ordinal = Ordinal(entry);
    if (ordinal < 0 || !Channel) {
        reason =
            std::string(ContentText::OpenFailed) + "ファイル " + entry.FullPath() + " は開けません";
        return ContentResult::OpenFailed;
    }
    {
        std::lock_guard<std::mutex> guard(Lock);
        if (FailStatus == 0 && !Closed)
            Ask(static_cast<size_t>(ordinal), kind);
    }
    SendQueued();
    std::unique_lock<std::mutex> lock(Lock);
    TReply& reply = Replies[static_cast<size_t>(ordinal)];
    while (reply.State != TReply::TState::Done) {
        if (FailStatus != 0 || Closed || (work.StopRequested && work.StopRequested())) {
            reason = ContentText::Cancelled;
            return ContentResult::Cancelled;
        }
        ReplyReady.wait_for(lock, std::chrono::milliseconds(10));
    }
    reason = reply.Code == ContentResult::OpenFailed
                 ? std::string(ContentText::OpenFailed) + "ファイル " + entry.FullPath() +
                       " は開けません"
                 : reply.Reason;
    out = reply.Value;
    return reply.Code;
}

bool TRemoteSource::ParseReply(const std::string& line, TReply& reply) const {
    if (line.starts_with("!")) {
        // "!<code> <reason>": a file that could not be read there.
        const size_t blank = line.find(' ');
        int code = 0;
        if (blank == std::string::npos ||
            std::from_chars(line.data() + 1, line.data() + blank, code).ptr != line.data() + blank)
            return false;
        if (code != ContentResult::OpenFailed && code != ContentResult::ReadFailed &&
            code != ContentResult::Different && code != ContentResult::Cancelled)
            return false;
        reply.Code = code;
        reply.Reason = line.substr(blank + 1, 4096);
        // The far side names the file by its own path; the row names it as
        // the user did, by its URL.
        if (code == ContentResult::OpenFailed)
            reply.Reason.clear();
        return true;
    }
    reply.Code = ContentResult::Equal;
    return platform::ParseDigestHex(line, reply.Kind, reply.Value);
}

void TRemoteSource::ReadReplies() {
    struct TDone {
        std::atomic<bool>& Flag;
        ~TDone() { Flag.store(true); }
    } done{ReaderDone};
    std::string line;
    while (true) {
        const TRemoteChannel::TRead read = Channel->ReadLine(line);
        if (read == TRemoteChannel::TRead::Stopped)
            return;
        if (read == TRemoteChannel::TRead::Failed) {
            Failed(Channel->GetStatus(), Channel->GetMessage());
            return;
        }
        std::unique_lock<std::mutex> lock(Lock);
        if (read == TRemoteChannel::TRead::End) {
            const bool expected = Closed;
            SawEnd.store(true);
            lock.unlock();
            if (!expected)
                Failed(Channel->EndStatus(), Channel->GetMessage());
            return;
        }
        if (Answered >= AskedOrder.size()) {
            lock.unlock();
            Channel->Refuse(0, "求めていない応答です");
            Failed(Channel->GetStatus(), Channel->GetMessage());
            return;
        }
        TReply& reply = Replies[AskedOrder[Answered]];
        if (!ParseReply(line, reply)) {
            lock.unlock();
            Channel->Refuse(0, "ダイジェストの応答が不正です");
            Failed(Channel->GetStatus(), Channel->GetMessage());
            return;
        }
        reply.State = TReply::TState::Done;
        ++Answered;
        ReplyReady.notify_all();
    }
}

void TRemoteSource::Failed(int status, const std::string& message) {
    std::function<void()> notify;
    {
        std::lock_guard<std::mutex> guard(Lock);
        if (FailStatus != 0 || Closed)
            return;
        FailStatus = status != 0 ? status : CompareStatus::RemoteDropped;
        FailMessage = message;
        notify = OnFailure;
        ReplyReady.notify_all();
    }
    if (notify)
        notify();
}

int TRemoteSource::FailureStatus(std::string& message) const {
    std::lock_guard<std::mutex> guard(Lock);
    message = FailMessage;
    return FailStatus;
}

void TRemoteSource::Close() {
    {
        std::lock_guard<std::mutex> guard(Lock);
        if (Closed)
            return;
        Closed = true;
        ReplyReady.notify_all();
    }
    if (!Channel)
        return;
    // The end of its input ends the far side, and so its output: the
    // reader sees the end. One that does not end is ended with ssh.
    Channel->CloseInput();
    if (Reader.joinable()) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(CloseWaitMs);
        while (!ReaderDone.load() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!ReaderDone.load())
            Channel->Abort();
        Reader.join();
    }
    // A far side that ended by itself lets ssh end too; one that was
    // stopped ends at the end of its input, which ssh passes on; one that
    // does not is ended with ssh.
    Channel->Close(SawEnd.load() ? CloseWaitMs : StopWaitMs);
}

uint64_t TRemoteSource::BytesOnWire() const {
    return Channel ? Channel->BytesSent() + Channel->BytesReceived() : 0;
}
