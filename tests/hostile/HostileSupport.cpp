#include "HostileSupport.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <stdexcept>
#include <vector>

std::string PairText(const std::string& nameM, const std::string& dirM, const std::string& nameS,
                     const std::string& dirS, const std::string& result) {
    return nameM + " " + dirM + " | " + nameS + " " + dirS + " | " + result;
}

std::multiset<std::string> RowTexts(const TRecorder& recorder) {
    std::multiset<std::string> rows;
    for (const auto& row : recorder.Rows)
        rows.insert(PairText(row[0], row[1], row[2], row[3], row[4]));
    return rows;
}

static bool Complete(const TRecorder& recorder, int column, size_t count) {
    std::vector<int> seen(count, 0);
    for (const auto& row : recorder.Rows) {
        if (row[column].empty())
            continue;
        size_t n = std::stoul(row[column]);
        if (n >= count || seen[n]++ > 0)
            return false;
    }
    for (int s : seen)
        if (s != 1)
            return false;
    return true;
}

bool NumbersAreComplete(const TRecorder& recorder, size_t countM, size_t countS) {
    return Complete(recorder, 5, countM) && Complete(recorder, 6, countS);
}

void THostileRecorder::OnListReady(TCompare* sender, int countM, int countS) {
    if (AtListReady)
        AtListReady();
    TRecorder::OnListReady(sender, countM, countS);
}

int CompareWithin(TCompare& engine, const std::string& pathM, const std::string& pathS) {
    auto run = std::async(std::launch::async, [&] { return RunCompare(engine, pathM, pathS); });
    if (run.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        ADD_FAILURE() << "the comparison did not finish within a minute";
        engine.RequestStop(true);
    }
    return run.get();
}

void MakeSocket(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (fd < 0 || path.size() >= sizeof address.sun_path)
        throw std::runtime_error("socket");
    std::strcpy(address.sun_path, path.c_str());
    int bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    close(fd);
    if (bound != 0)
        throw std::runtime_error("bind(" + path + ")");
}
