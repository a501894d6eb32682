#pragma once

#include <string>
#include <vector>

#include "RunProcess.h"

// One timed program of a comparison workload.
struct TTool {
    std::string Key;    // as in --tools
    std::string Label;  // as printed
    TProcessSpec Spec;
    std::vector<int> GoodExits;
    bool Cold = false;                  // also timed on a cold cache
    std::vector<TProcessResult> Warm;   // the timed rounds on a warm cache
    std::vector<TProcessResult> Colds;  // and on a cold one
    bool Failed = false;

    const std::vector<TProcessResult>& Runs(bool cold) const { return cold ? Colds : Warm; }
};

// Prints one line of the runner's output, flushed at once (it is often piped
// through tee).
void Print(const std::string& line);

// Runs the tool once. False when it did not end with one of its good exit
// statuses: the problem is printed with the end of its standard error,
// appended to problems, and the tool is marked Failed. `when` says which run
// it was ("(first run)"); out receives the result.
bool RunChecked(TTool& tool, std::vector<std::string>& problems, const std::string& when,
                TProcessResult* out = nullptr);

// Prints the outcome of a check: "check: <what> <success>" when nothing was
// found, otherwise every finding, each also appended to problems.
void PrintProblems(const std::string& what, const std::vector<std::string>& found,
                   const std::string& success, std::vector<std::string>& problems);
