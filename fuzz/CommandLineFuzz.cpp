// The console program's command line over arbitrary argument lists: the input
// is split at NUL bytes into arguments (the first is argument 0). Whatever the
// arguments, ParseCommandLine ends with one of its result codes and a message,
// and accepts a run only with a report file, two folders, a known format and
// encoding.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "BatchResult.h"
#include "FuzzCheck.h"
#include "TBatchControl.h"
#include "TExcludeFilter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> arguments(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back().push_back(static_cast<char>(data[i]));
    }

    // One driver for many inputs, as ParseCommandLine resets it first.
    static TBatchControl control;
    int result = control.ParseCommandLine(arguments);

    switch (result) {
        case BatchResult::Success:
            FUZZ_CHECK(control.GetMessage().empty());
            FUZZ_CHECK(!control.GetFileName().empty());
            FUZZ_CHECK(!control.GetFromDir().empty());
            FUZZ_CHECK(!control.GetToDir().empty());
            // Only well-formed exclude patterns reach the engine.
            for (const std::string& pattern : control.GetOption().Exclude)
                FUZZ_CHECK(TExcludeFilter::CheckPattern(pattern).empty());
            break;
        case BatchResult::Usage:
        case BatchResult::NoFileName:
        case BatchResult::NoFromDir:
        case BatchResult::NoToDir:
        case BatchResult::BadFormat:
        case BatchResult::BadEncoding:
        case BatchResult::BadPath:
        case BatchResult::NoExcludePattern:
        case BatchResult::NoExcludeFile:
        case BatchResult::BadExcludePattern:
        case BatchResult::ExcludeNegation:
        case BatchResult::ExcludeFileUnreadable:
        case BatchResult::BadMovedMinSize:
        case BatchResult::BadTimeShift:
        case BatchResult::BadTimeTolerance:
        case BatchResult::NoSnapshotFile:
        case BatchResult::BadDigest:
        case BatchResult::Version:
        case BatchResult::Help:
            FUZZ_CHECK(!control.GetMessage().empty());
            break;
        default:
            FUZZ_CHECK(false);
    }
    // Every value is trimmed of blanks and control characters at both ends.
    for (const std::string* value :
         {&control.GetFileName(), &control.GetFromDir(), &control.GetToDir()}) {
        if (!value->empty()) {
            FUZZ_CHECK(static_cast<unsigned char>(value->front()) > 0x20);
            FUZZ_CHECK(static_cast<unsigned char>(value->back()) > 0x20);
        }
    }
    int status = ExitStatus(result);
    FUZZ_CHECK(status >= 0 && status <= 255);
    return 0;
}
