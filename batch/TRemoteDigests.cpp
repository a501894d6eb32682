#include "TRemoteDigests.h"

#include <charconv>

#include "TContentComparer.h"
#include "TEntrySource.h"
#include "TFolderSource.h"
#include "platform/AlignedBuffer.h"
#include "platform/FileReader.h"

TRemoteDigests::TRemoteDigests(std::vector<const TSearchRecEx*> entries,
                               platform::TStandardOutput& out, int workers)
    : Entries(std::move(entries)), Out(out) {
    for (int i = 0; i < workers; ++i)
        Workers.emplace_back(&TRemoteDigests::Work, this);
}

TRemoteDigests::~TRemoteDigests() {
    // The workers wait for jobs for as long as the process lives: the end of
    // the input ends the process, not this object.
    for (std::thread& worker : Workers)
        worker.detach();
}

bool TRemoteDigests::Post(const std::string& request) {
    if (request.size() < 2 || (request[0] != 'x' && request[0] != 's'))
        return false;
    size_t ordinal = 0;
    const char* end = request.data() + request.size();
    if (std::from_chars(request.data() + 1, end, ordinal).ptr != end || ordinal == 0 ||
        ordinal >= Entries.size())
        return false;
    {
        std::lock_guard<std::mutex> guard(Lock);
        Jobs.push_back(
            {Posted++, Entries[ordinal],
             request[0] == 's' ? platform::TDigestKind::Sha256 : platform::TDigestKind::Xxh128});
    }
    JobReady.notify_one();
    return true;
}

void TRemoteDigests::Work() {
    platform::TFileReader reader;
    platform::TAlignedBuffer buffer(TContentComparer::BlockSize);
    TDigestWork work(reader, buffer, nullptr);
    std::string reason;
    while (true) {
        TJob job;
        {
            std::unique_lock<std::mutex> lock(Lock);
            JobReady.wait(lock, [this] { return !Jobs.empty(); });
            job = Jobs.front();
            Jobs.pop_front();
        }
        platform::TDigestValue value;
        const int code = TFolderSource::DigestFile(job.Entry->FullPath(), job.Entry->Kind, job.Kind,
                                                   work, value, reason);
        std::string answer = code == ContentResult::Equal
                                 ? platform::DigestHex(value)
                                 : "!" + std::to_string(code) + " " + reason;
        for (char& c : answer)
            if (c == '\n' || c == '\r')
                c = ' ';
        answer += '\n';
        std::lock_guard<std::mutex> guard(Lock);
        Done.emplace(job.Sequence, std::move(answer));
        Emit();
    }
}

void TRemoteDigests::Emit() {
    bool wrote = false;
    for (auto next = Done.find(Written); next != Done.end(); next = Done.find(Written)) {
        Out.Write(next->second);
        Done.erase(next);
        ++Written;
        wrote = true;
    }
    // Out is flushed once the answers ready in order are written, so that the
    // near side has them while the rest are computed.
    if (wrote)
        Out.Flush();
}
