// CopyRun: copies a file or a folder tree with the desktop program's own copy
// (platform::TFileCopy), answering yes to every question, as the runner's
// copy workload times it against cp.
//
//   CopyRun [--read-write] ORIGIN DESTINATION
//
// DESTINATION is made as the copy of ORIGIN (or ORIGIN goes into it when it is
// an existing folder). --read-write copies every file through the program's
// buffer instead of letting the kernel copy it (copy_file_range). Prints the
// number of files copied; exit status 0, 1 when the copy failed (the reason on
// standard error), 2 on wrong usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/FileCopy.h"

namespace {

class TYesToAll : public platform::ICopyHandler {
public:
    TAnswer AskReplace(const platform::TReplaceQuestion&) override { return TAnswer::YesToAll; }
    void Progress(uint64_t, uint64_t, const std::string&) override {}
    bool StopRequested() override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
    platform::TFileCopy copy;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--read-write") == 0) {
        copy.KernelCopies = false;
        first = 2;
    }
    if (argc - first != 2) {
        std::fprintf(stderr, "usage: CopyRun [--read-write] ORIGIN DESTINATION\n");
        return 2;
    }
    TYesToAll handler;
    const platform::TCopyResult result = copy.Copy(argv[first], argv[first + 1], false, handler);
    if (result.Status != platform::TCopyStatus::Done) {
        std::fprintf(stderr, "CopyRun: %s\n",
                     result.Error.empty() ? "cancelled" : result.Error.c_str());
        return 1;
    }
    std::printf("files %d\n", result.FilesCopied);
    return 0;
}
