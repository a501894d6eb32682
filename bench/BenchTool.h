#pragma once

#include <string>
#include <vector>

#include "RunProcess.h"

// When a program is timed: on a warm page cache, on a cold one (the trees'
// pages evicted before every program), or on a warm one with a busy loop
// taking one core beside it.
enum class TPhase { Warm, Cold, Busy };

// One timed program of a comparison workload.
struct TTool {
    std::string Key;    // as in --tools
    std::string Label;  // as printed
    TProcessSpec Spec;
    std::vector<int> GoodExits;
    bool Cold = false;                   // also timed on a cold cache
    bool Busy = false;                   // also timed with one core busy
    std::vector<TProcessResult> Warm;    // the timed rounds on a warm cache
    std::vector<TProcessResult> Colds;   // on a cold one
    std::vector<TProcessResult> Busies;  // on a warm one with one core busy
    bool Failed = false;

    bool TimedIn(TPhase phase) const {
        return phase == TPhase::Warm || (phase == TPhase::Cold ? Cold : Busy);
    }
    const std::vector<TProcessResult>& Runs(TPhase phase) const {
        return phase == TPhase::Warm ? Warm : phase == TPhase::Cold ? Colds : Busies;
    }
    std::vector<TProcessResult>& Runs(TPhase phase) {
        return phase == TPhase::Warm ? Warm : phase == TPhase::Cold ? Colds : Busies;
    }
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
