// TandrilB: compares two folders once, unattended, and writes a report file.
#include <clocale>
#include <cstdio>
#include <memory>

#include "BatchResult.h"
#include "ConsoleOutput.h"
#include "ProcessArguments.h"
#include "TBatchControl.h"
#include "platform/OutputFile.h"

int main(int argc, char** argv) {
    // The console's encoding is the locale's codeset.
    std::setlocale(LC_CTYPE, "");
    platform::ReportFileSizeLimitAsWriteFailure();
    StoreProcessArguments(argc, argv);

    int result;
    {
        auto control = std::make_unique<TBatchControl>();
        result = control->ParseCommandLine();
        if (result == BatchResult::Success)
            result = control->Run();
        if (result != BatchResult::Success)
            PrintConsole(control->GetMessage() + "\n");
    }
    std::fflush(stdout);
    return ExitStatus(result);
}
