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
