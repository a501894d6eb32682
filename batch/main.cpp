// TandrilB: compares two folders once, unattended, and writes a report file.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

#include "BatchResult.h"
#include "ConsoleOutput.h"
#include "ProcessArguments.h"
#include "TBatchControl.h"
#include "TCompare.h"
#include "TRemoteServer.h"
#include "platform/OutputFile.h"

namespace {

// Where memory is so short that the C++ runtime cannot even allocate the
// exception that says so (or it escapes main), it would abort: the run ends
// as a caught failure does instead, with the text and the exit status of a
// failure of the run.
[[noreturn]] void EndWithoutMemory() {
    const char* text = "std::bad_alloc";
    try {
        if (std::exception_ptr error = std::current_exception())
            std::rethrow_exception(error);
    } catch (const std::exception& error) {
        text = error.what();
    } catch (...) {
    }
    std::fputs(text, stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
    std::_Exit(ExitStatus(CompareStatus::RuntimeFailure));
}

}  // namespace

int main(int argc, char** argv) {
    std::set_terminate(EndWithoutMemory);
    // The console's encoding is the locale's codeset.
    std::setlocale(LC_CTYPE, "");
    platform::ReportFileSizeLimitAsWriteFailure();
    platform::ReportClosedPipeAsWriteFailure();
    StoreProcessArguments(argc, argv);
    if (IsServeCommand(ProcessArguments()))
        return RunRemoteServer(ProcessArguments());

    int status;
    std::FILE* console = stdout;
    try {
        auto control = std::make_unique<TBatchControl>();
        int result = control->ParseCommandLine();
        console = control->GetConsole();
        if (result == BatchResult::Success)
            result = control->Run();
        if (result != BatchResult::Success)
            PrintConsole(control->GetMessage() + "\n", console);
        status = control->ExitStatusOf(result);
    } catch (const std::exception& error) {
        // Out of memory outside the comparison itself (reading the command
        // line, opening, writing or closing the report) ends the run as a
        // failure of the run with its text, as it does inside the engine,
        // instead of aborting the program. The text is printed as it stands:
        // converting it could need the memory that ran out.
        std::fputs(error.what(), console);
        std::fputs("\n", console);
        status = ExitStatus(CompareStatus::RuntimeFailure);
    }
    std::fflush(stdout);
    return status;
}
