// TandrilGen: generates one benchmark workload on its own, for trying other
// tools on the same trees.
//
//   TandrilGen WORKLOAD FOLDER [SCALE [SEED]]
//
// WORKLOAD is many-small, few-large, stop-pair or vendored; FOLDER must not exist yet and
// receives A/, B/ and manifest.txt.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "BenchFiles.h"
#include "GenerateWorkload.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: TandrilGen WORKLOAD FOLDER [SCALE [SEED]]\n");
        return 2;
    }
    const std::string folder = argv[2];
    const double scale = argc > 3 ? std::strtod(argv[3], nullptr) : 1.0;
    const uint64_t seed = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 1;
    try {
        TManifest m = GenerateWorkload(argv[1], scale, seed, folder);
        SyncFileSystem(folder);
        WriteManifest(m, folder + "/manifest.txt");
        std::printf("%s: A %lld files, B %lld files, %lld differences\n", folder.c_str(),
                    static_cast<long long>(m.FilesA), static_cast<long long>(m.FilesB),
                    static_cast<long long>(m.Differences()));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "TandrilGen: %s\n", e.what());
        return 1;
    }
}
