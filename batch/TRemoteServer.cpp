#include "TRemoteServer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "TCompare.h"
#include "TExcludeFilter.h"
#include "TRemoteProtocol.h"
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
    for (size_t i = 3; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] != "/exclude")
            return fail(CompareStatus::RuntimeFailure, "/serve: unknown word " + arguments[i]);
        patterns.push_back(arguments[i + 1]);
    }
    for (const std::string& pattern : patterns) {
        if (!TExcludeFilter::CheckPattern(pattern).empty())
            return fail(CompareStatus::RuntimeFailure, "/serve: bad pattern " + pattern);
    }
    TRequestReader requests;
    requests.Start();
    if (!platform::IsFolder(root))
        return fail(CompareStatus::BadPathM, root);
    out.Flush();
    return 0;
}
