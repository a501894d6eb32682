// ListSortRun: times what a comparison does before its first row for one
// tree: listing it (one status call per entry) and sorting it (a sort key per
// entry, then the sort). The tree is made on the first run: empty files in
// folders of 1,000, named as real trees are (ASCII names in mixed letter case,
// Japanese names in kana and kanji, accented Latin names in both
// normalisation forms, a few bytes that are not UTF-8).
//
//   ListSortRun [--names N] [--rounds R] FOLDER
//
// Prints the median of R rounds (default 5) for listing, sorting and both,
// the processor time of listing and of sorting, and a digest of the sorted order, so that two
// builds can be run in turns on the same tree and their times and orders compared. Exit status 0, 1
// when the tree could not be made or listed, 2 on wrong usage.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "TEntryList.h"
#include "TFolderLister.h"
#include "platform/Collator.h"

namespace {

constexpr int NamesPerFolder = 1000;

// The name of file i: mostly ASCII, a fifth Japanese, some accented Latin.
std::string NameOf(int i) {
    static const char* const Japanese[] = {"資料", "議事録", "ファイル", "しりょう", "ﾃﾞｰﾀ"};
    static const char* const Latin[] = {"Caf\xc3\xa9", "Cafe\xcc\x81", "\xc3\x85ngstr\xc3\xb6m",
                                        "Stra\xc3\x9f"
                                        "e"};
    std::string number = std::to_string(i);
    switch (i % 10) {
        case 0:
        case 1:
            return Japanese[i % 5] + number + ".txt";
        case 2:
            return Latin[(i / 10) % 4] + number + ".doc";
        case 3:
            return "IMG_" + number + ".JPG";
        case 4:
            return i % 1000 == 4 ? "bad\xff" + number : "Makefile." + number;
        default:
            return "file-" + number + (i % 2 ? ".cpp" : ".h");
    }
}

bool MakeTree(const std::string& root, int names) {
    mkdir(root.c_str(), 0755);
    for (int i = 0; i < names; ++i) {
        std::string folder = root + "/dir" + std::to_string(i / NamesPerFolder);
        if (i % NamesPerFolder == 0 && mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        std::string path = folder + "/" + NameOf(i);
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        close(fd);
    }
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of this thread: steadier than the clock on a busy machine.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    int names = 200000;
    int rounds = 5;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--names" && i + 1 < argc) {
            names = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (folder.empty()) {
            folder = arg;
        } else {
            folder.clear();
            break;
        }
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: ListSortRun [--names N] [--rounds R] FOLDER\n");
        return 2;
    }
    const std::string tree = folder + "/tree-" + std::to_string(names);
    const std::string done = tree + ".done";
    if (access(done.c_str(), F_OK) != 0) {
        if (!MakeTree(tree, names)) {
            std::perror(("ListSortRun: making " + tree).c_str());
            return 1;
        }
        close(open(done.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    }

    std::vector<double> list, sort, total, listCpu, sortCpu;
    uint64_t digest = 0;
    int count = 0;
    std::atomic<bool> stop{false};
    for (int round = 0; round < rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        const double cpuStart = ThreadSeconds();
        TEntryList entries;
        TFolderLister lister(entries, stop);
        count = lister.ListTree(tree);
        list.push_back(Since(start));
        auto sortStart = std::chrono::steady_clock::now();
        const double cpuSort = ThreadSeconds();
        platform::TCollator collator;
        entries.Sort(collator);
        sort.push_back(Since(sortStart));
        total.push_back(Since(start));
        listCpu.push_back(cpuSort - cpuStart);
        sortCpu.push_back(ThreadSeconds() - cpuSort);
        // FNV-1a over the names in sorted order.
        digest = 1469598103934665603ull;
        for (int i = 0; i < entries.Count(); ++i) {
            for (unsigned char c : entries.At(i)->Name)
                digest = (digest ^ c) * 1099511628211ull;
            digest = (digest ^ '/') * 1099511628211ull;
        }
    }
    if (count < names) {
        std::fprintf(stderr, "ListSortRun: listed %d entries of %d\n", count, names);
        return 1;
    }
    std::printf(
        "%d entries, %d rounds (medians): list %.3f s, sort %.3f s, list + sort %.3f s; "
        "processor time: list %.3f s, sort %.3f s; order digest %016llx\n",
        count, rounds, Median(list), Median(sort), Median(total), Median(listCpu), Median(sortCpu),
        static_cast<unsigned long long>(digest));
    return 0;
}
