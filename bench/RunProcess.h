#pragma once

#include <string>
#include <utility>
#include <vector>

// One program run as a child process, timed from just before it is started
// until it has been reaped. The program is started through MeasureChild so
// that its peak memory is its own, not the runner's.
struct TProcessSpec {
    std::vector<std::string> Argv;  // Argv[0] is looked up in PATH when it has no "/"
    std::string WorkDir;            // empty: the runner's own
    std::string StdoutPath = "/dev/null";
    std::string StderrPath = "/dev/null";
    std::vector<std::pair<std::string, std::string>> Env;  // added to the runner's
};

struct TProcessResult {
    bool Started = false;
    int ExitCode = -1;  // -1 when it ended by a signal
    int Signal = 0;
    double Seconds = 0;  // wall-clock time
    double UserSeconds = 0;
    double SystemSeconds = 0;
    long MaxRssKiB = 0;  // peak resident memory of the program itself (wait4)
    std::string Error;   // why it could not be started
};

TProcessResult RunProcess(const TProcessSpec& spec);

// "exit status 2", "signal 11" or the reason it could not start.
std::string DescribeEnd(const TProcessResult& result);

// True when `program` names an executable file (directly or through PATH).
bool FindProgram(const std::string& program);

// Keeps one core busy while it lives: a child process that spins without
// pause, as other work on a shared machine would. The programs timed meanwhile
// compete with it for the processor like with any other process.
class TBusyCore {
public:
    TBusyCore();
    ~TBusyCore();
    TBusyCore(const TBusyCore&) = delete;
    TBusyCore& operator=(const TBusyCore&) = delete;
    bool Running() const { return Pid > 0; }

private:
    int Pid = -1;
};
