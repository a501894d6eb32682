#pragma once

#include <cstddef>
#include <functional>
#include <set>
#include <string>

#include "TempTree.h"

// One row as a line of text: source name and folder, target name and folder,
// result ("a.txt / | a.txt / | 等価"), for comparing rows without their numbers.
std::string PairText(const std::string& nameM, const std::string& dirM, const std::string& nameS,
                     const std::string& dirS, const std::string& result);

// Every row of a run as PairText, in no particular order.
std::multiset<std::string> RowTexts(const TRecorder& recorder);

// True when the rows' source numbers are exactly 0..countM-1 and their target
// numbers exactly 0..countS-1, each once: every entry stands in one row.
bool NumbersAreComplete(const TRecorder& recorder, size_t countM, size_t countS);

// A recorder that can also act once both trees are listed, before pairing.
class THostileRecorder : public TRecorder {
public:
    std::function<void()> AtListReady;
    void OnListReady(TCompare* sender, int countM, int countS) override;
};

// Runs one comparison with the default options, failing the test (after a
// stop request) when it has not finished within a minute. Returns its status.
int CompareWithin(TCompare& engine, const std::string& pathM, const std::string& pathS);

// Makes a Unix socket file at path.
void MakeSocket(const std::string& path);
