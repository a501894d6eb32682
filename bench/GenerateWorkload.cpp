#include "GenerateWorkload.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <stdexcept>

#include "BenchFiles.h"
#include "Random.h"

namespace {

constexpr int64_t KiB = 1024;
constexpr int64_t MiB = 1024 * KiB;
constexpr int64_t GiB = 1024 * MiB;

// Stream numbers, so that each kind of draw has its own reproducible sequence.
enum Stream : uint64_t {
    FileDraw = 1,
    AddedDraw,
    Pick,
    Content,
    AddedContent,
    LargeContent,
    MovedDraw
};

// A fixed modification time (2023-11-14 22:13:20 UTC) plus a per-file offset.
constexpr int64_t BaseTime = 1700000000;

std::string Numbered(const char* prefix, int64_t number, const char* suffix) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%06lld%s", prefix, static_cast<long long>(number), suffix);
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Sizes log-normal around a median of 4 KiB, clipped to 256 KiB, about 10 KiB
// on average (so 100,000 files hold about 1 GB); a few files are empty.
int64_t SmallFileSize(TRandom& rng) {
    constexpr double Median = 4096.0;
    constexpr double Sigma = 1.4;
    constexpr int64_t MaxSize = 256 * KiB;
    if (rng.Below(200) == 0)
        return 0;
    double size = std::floor(Median * std::exp(Sigma * rng.Normal()));
    return std::clamp<int64_t>(static_cast<int64_t>(size), 0, MaxSize);
}

int64_t Share(int64_t count, double share) {
    return std::max<int64_t>(1, std::llround(static_cast<double>(count) * share));
}

struct TSmallFile {
    enum Kind { Plain, Changed, Deleted, Renamed, Moved };
    int64_t Folder = 0;
    int64_t Size = 0;
    int64_t Time = 0;
    Kind What = Plain;
};

// A tree of small files and what tree B changes in it. Shares are of the
// files of tree A; none when 0.
struct TSmallShape {
    double Files = 0, Folders = 0;  // at scale 1
    double Changed = 0, Deleted = 0, Added = 0, Moved = 0;
    int64_t MostRenamed = 0;
};
constexpr TSmallShape ManySmallShape{100000, 5000, 0.005, 0.002, 0.002, 0, 5};
// Every tenth file elsewhere in B: half in another folder of the tree, half
// in folders only B has, a quarter of them under another name too.
constexpr TSmallShape MovedShape{20000, 1000, 0, 0, 0, 0.10, 0};
constexpr int64_t MovedPerNewFolder = 16;

int64_t ShareOf(int64_t count, double share) {
    return share > 0 ? Share(count, share) : 0;
}

TManifest GenerateSmallFiles(const TSmallShape& shape, double scale, uint64_t seed,
                             const std::string& root) {
    constexpr int64_t Fanout = 16;
    const int64_t fileCount = std::max<int64_t>(10, std::llround(shape.Files * scale));
    const int64_t folderCount = std::max<int64_t>(1, std::llround(shape.Folders * scale));

    // Folder k lies directly below the root for k < Fanout, otherwise below
    // folder k / Fanout - 1, which always comes earlier: a tree four to five
    // levels deep for 5,000 folders.
    std::vector<std::string> folders(folderCount);
    for (int64_t k = 0; k < folderCount; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "dir%02d", static_cast<int>(k % Fanout));
        folders[k] = (k < Fanout ? std::string() : folders[k / Fanout - 1] + "/") + name;
    }

    std::vector<TSmallFile> files(fileCount);
    for (int64_t i = 0; i < fileCount; ++i) {
        TRandom rng = TRandom::For(seed, FileDraw, i);
        files[i].Folder = static_cast<int64_t>(rng.Below(folderCount));
        files[i].Size = SmallFileSize(rng);
        files[i].Time = BaseTime + static_cast<int64_t>(rng.Below(3 * 365 * 86400));
    }

    // Changed, deleted and renamed files are disjoint; a changed file needs a byte.
    const int64_t changedCount = ShareOf(fileCount, shape.Changed);
    const int64_t deletedCount = ShareOf(fileCount, shape.Deleted);
    const int64_t addedCount = ShareOf(fileCount, shape.Added);
    const int64_t movedCount = ShareOf(fileCount, shape.Moved);
    const int64_t renamedCount = std::min<int64_t>(shape.MostRenamed, Share(fileCount, 0.00005));
    std::vector<int64_t> order(fileCount);
    std::iota(order.begin(), order.end(), 0);
    TRandom pick = TRandom::For(seed, Pick, 0);
    for (int64_t i = fileCount - 1; i > 0; --i)
        std::swap(order[i], order[static_cast<int64_t>(pick.Below(i + 1))]);
    int64_t changed = 0, deleted = 0, renamed = 0, moved = 0;
    for (int64_t i : order) {
        TSmallFile& f = files[i];
        if (changed < changedCount && f.Size > 0) {
            f.What = TSmallFile::Changed, ++changed;
        } else if (deleted < deletedCount) {
            f.What = TSmallFile::Deleted, ++deleted;
        } else if (renamed < renamedCount) {
            f.What = TSmallFile::Renamed, ++renamed;
        } else if (moved < movedCount && f.Size > 0) {
            f.What = TSmallFile::Moved, ++moved;
        }
    }
    if (changed < changedCount)
        throw std::runtime_error("too few non-empty files to change");

    TManifest m;
    const std::string a = root + "/A/", b = root + "/B/";
    MakeFolder(a);
    MakeFolder(b);
    for (const std::string& folder : folders) {
        MakeFolder(a + folder);
        MakeFolder(b + folder);
    }
    m.FoldersA = m.FoldersB = folderCount;
    int64_t movedSoFar = 0;

    std::string buffer(256 * KiB, '\0');
    for (int64_t i = 0; i < fileCount; ++i) {
        const TSmallFile& f = files[i];
        const std::string name = Numbered("file", i, ".dat");
        const std::string path = folders[f.Folder] + "/" + name;
        TRandom content = TRandom::For(seed, Content, i);
        content.Fill(buffer.data(), static_cast<size_t>(f.Size));
        std::string_view data(buffer.data(), static_cast<size_t>(f.Size));
        WriteWholeFile(a + path, data, f.Time);
        ++m.FilesA;
        m.BytesA += f.Size;
        switch (f.What) {
            case TSmallFile::Deleted:
                m.Deleted.push_back(path);
                continue;
            case TSmallFile::Renamed: {
                std::string other = folders[f.Folder] + "/" + Upper(name);
                WriteWholeFile(b + other, data, f.Time);
                m.Renamed.emplace_back(path, other);
                break;
            }
            case TSmallFile::Moved: {
                // Names are unique in the tree, so a moved file never meets
                // another of its name.
                const int64_t k = movedSoFar++;
                std::string other;
                if (k % 2 == 0) {
                    const uint64_t step =
                        TRandom::For(seed, MovedDraw, i)
                            .Below(static_cast<uint64_t>(std::max<int64_t>(1, folderCount - 1)));
                    other = folders[(f.Folder + 1 + static_cast<int64_t>(step)) % folderCount];
                } else {
                    other = Numbered("moved/new", k / 2 / MovedPerNewFolder, "");
                    if (k / 2 % MovedPerNewFolder == 0) {
                        if (k == 1) {
                            MakeFolder(b + "moved");
                            m.Added.push_back("moved/");
                            ++m.FoldersB;
                        }
                        MakeFolder(b + other);
                        m.Added.push_back(other + "/");
                        ++m.FoldersB;
                    }
                }
                other += "/" + (k % 4 == 3 ? "renamed-" + name : name);
                WriteWholeFile(b + other, data, f.Time);
                m.Deleted.push_back(path);
                m.Added.push_back(other);
                m.Moved.emplace_back(path, other);
                break;
            }
            case TSmallFile::Changed: {
                // One byte inverted somewhere in the file: size and time stay.
                buffer[content.Below(static_cast<uint64_t>(f.Size))] ^= '\xFF';
                WriteWholeFile(b + path, data, f.Time);
                m.Changed.push_back(path);
                break;
            }
            case TSmallFile::Plain:
                WriteWholeFile(b + path, data, f.Time);
                break;
        }
        ++m.FilesB;
        m.BytesB += f.Size;
    }
    for (int64_t j = 0; j < addedCount; ++j) {
        TRandom rng = TRandom::For(seed, AddedDraw, j);
        const std::string path = folders[rng.Below(folderCount)] + "/" + Numbered("new", j, ".dat");
        int64_t size = SmallFileSize(rng);
        int64_t time = BaseTime + static_cast<int64_t>(rng.Below(3 * 365 * 86400));
        TRandom::For(seed, AddedContent, j).Fill(buffer.data(), static_cast<size_t>(size));
        WriteWholeFile(b + path, std::string_view(buffer.data(), static_cast<size_t>(size)), time);
        m.Added.push_back(path);
        ++m.FilesB;
        m.BytesB += size;
    }
    return m;
}

// Writes the same stream of bytes to a.../name and b.../name in large pieces;
// with `changeLast` the last byte on side B is inverted.
void WriteLargePair(const std::string& a, const std::string& b, int64_t size, TRandom content,
                    int64_t time, bool changeLast) {
    constexpr int64_t Chunk = 4 * MiB;
    std::string buffer(static_cast<size_t>(std::min(size, Chunk)), '\0');
    TOutputFile fileA(a), fileB(b);
    for (int64_t done = 0; done < size;) {
        size_t n = static_cast<size_t>(std::min(Chunk, size - done));
        content.Fill(buffer.data(), n);
        std::string_view data(buffer.data(), n);
        fileA.Write(data);
        done += static_cast<int64_t>(n);
        if (changeLast && done == size)
            buffer[n - 1] ^= '\xFF';
        fileB.Write(data);
    }
    fileA.Finish(time);
    fileB.Finish(time);
}

TManifest GenerateFewLarge(double scale, uint64_t seed, const std::string& root) {
    constexpr int FileCount = 20;
    MakeFolder(root + "/A");
    MakeFolder(root + "/B");
    TManifest m;
    const int changed = static_cast<int>(TRandom::For(seed, Pick, 0).Below(FileCount));
    for (int i = 0; i < FileCount; ++i) {
        // Sizes spaced evenly on a log scale from 64 MiB to 256 MiB: 2.9 GB in all.
        double size = 64.0 * MiB * std::pow(4.0, i / double(FileCount - 1)) * scale;
        int64_t bytes = std::max<int64_t>(1, std::llround(size));
        char name[32];
        std::snprintf(name, sizeof name, "large%02d.bin", i);
        WriteLargePair(root + "/A/" + name, root + "/B/" + name, bytes,
                       TRandom::For(seed, LargeContent, i), BaseTime + 60 * i, i == changed);
        if (i == changed)
            m.Changed.push_back(name);
        m.FilesA = ++m.FilesB;
        m.BytesA = m.BytesB += bytes;
    }
    return m;
}

TManifest GenerateStopPair(double scale, uint64_t seed, const std::string& root) {
    MakeFolder(root + "/A");
    MakeFolder(root + "/B");
    int64_t bytes = std::max<int64_t>(1, std::llround(2.0 * GiB * scale));
    WriteLargePair(root + "/A/pair.bin", root + "/B/pair.bin", bytes,
                   TRandom::For(seed, LargeContent, 0), BaseTime, false);
    TManifest m;
    m.FilesA = m.FilesB = 1;
    m.BytesA = m.BytesB = bytes;
    return m;
}

TManifest GenerateVendored(double scale, uint64_t seed, const std::string& root) {
    const int64_t sourceCount = std::max<int64_t>(20, std::llround(2000 * scale));
    const int64_t moduleCount = std::max<int64_t>(160, std::llround(16000 * scale));
    const int64_t gitCount = std::max<int64_t>(20, std::llround(2000 * scale));
    const int64_t packages = std::max<int64_t>(4, std::llround(400 * scale));
    const int64_t sourceFolders = std::max<int64_t>(1, std::llround(100 * scale));
    const int64_t objectFolders = std::min<int64_t>(256, std::max<int64_t>(1, gitCount / 8));

    TManifest m;
    const std::string a = root + "/A/", b = root + "/B/";
    MakeFolder(a);
    MakeFolder(b);
    // Folders in creation order, parents first; those below node_modules/ or
    // .git/ (and those two themselves) are what the patterns leave out.
    std::vector<std::string> folders;
    auto folder = [&](const std::string& path, bool excluded) {
        folders.push_back(path);
        MakeFolder(a + path);
        MakeFolder(b + path);
        ++m.FoldersA;
        ++m.FoldersB;
        if (excluded)
            ++m.ExcludedFoldersA, ++m.ExcludedFoldersB;
    };
    folder("src", false);
    std::vector<std::string> sourceDirs;
    for (int64_t k = 0; k < sourceFolders; ++k)
        folder(sourceDirs.emplace_back(Numbered("src/part", k, "")), false);
    folder("node_modules", true);
    std::vector<std::string> moduleDirs;
    for (int64_t k = 0; k < packages; ++k) {
        const std::string package = Numbered("node_modules/pkg", k, "");
        folder(package, true);
        folder(moduleDirs.emplace_back(package + "/lib"), true);
        // Every fourth package holds its own node_modules, as npm nests them.
        if (k % 4 == 3) {
            folder(package + "/node_modules", true);
            folder(
                moduleDirs.emplace_back(Numbered((package + "/node_modules/dep").c_str(), k, "")),
                true);
        }
    }
    folder(".git", true);
    folder(".git/objects", true);
    std::vector<std::string> objectDirs;
    for (int64_t k = 0; k < objectFolders; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, ".git/objects/%02x", static_cast<int>(k));
        folder(objectDirs.emplace_back(name), true);
    }

    // Source files first, then the vendored ones; only source files differ.
    const int64_t fileCount = sourceCount + moduleCount + gitCount;
    const int64_t changedEvery = 50, deletedEvery = 100;
    std::string buffer(256 * KiB, '\0');
    for (int64_t i = 0; i < fileCount; ++i) {
        TRandom rng = TRandom::For(seed, FileDraw, i);
        std::string path;
        if (i < sourceCount)
            path = sourceDirs[rng.Below(sourceDirs.size())] + Numbered("/file", i, ".js");
        else if (i < sourceCount + moduleCount)
            path = moduleDirs[rng.Below(moduleDirs.size())] + Numbered("/mod", i, ".js");
        else
            path = objectDirs[rng.Below(objectDirs.size())] + Numbered("/obj", i, "");
        const int64_t size = std::max<int64_t>(1, SmallFileSize(rng));
        const int64_t time = BaseTime + static_cast<int64_t>(rng.Below(3 * 365 * 86400));
        TRandom content = TRandom::For(seed, Content, i);
        content.Fill(buffer.data(), static_cast<size_t>(size));
        const std::string_view data(buffer.data(), static_cast<size_t>(size));
        WriteWholeFile(a + path, data, time);
        ++m.FilesA;
        m.BytesA += size;
        const bool source = i < sourceCount;
        if (!source)
            ++m.ExcludedFilesA, ++m.ExcludedFilesB;
        if (source && i % deletedEvery == 1) {
            m.Deleted.push_back(path);
            continue;
        }
        if (source && i % changedEvery == 0) {
            buffer[content.Below(static_cast<uint64_t>(size))] ^= '\xFF';
            m.Changed.push_back(path);
        }
        WriteWholeFile(b + path, data, time);
        ++m.FilesB;
        m.BytesB += size;
    }
    for (int64_t j = 0; j < std::max<int64_t>(1, sourceCount / 100); ++j) {
        TRandom rng = TRandom::For(seed, AddedDraw, j);
        const std::string path =
            sourceDirs[rng.Below(sourceDirs.size())] + Numbered("/new", j, ".js");
        const int64_t size = SmallFileSize(rng);
        TRandom::For(seed, AddedContent, j).Fill(buffer.data(), static_cast<size_t>(size));
        WriteWholeFile(b + path, std::string_view(buffer.data(), static_cast<size_t>(size)),
                       BaseTime);
        m.Added.push_back(path);
        ++m.FilesB;
        m.BytesB += size;
    }
    return m;
}

}  // namespace

TManifest GenerateWorkload(const std::string& workload, double scale, uint64_t seed,
                           const std::string& folder) {
    if (!(scale > 0))
        throw std::runtime_error("the scale must be above 0");
    TManifest m;
    if (workload == Workload::ManySmall) {
        MakeFolder(folder);
        m = GenerateSmallFiles(ManySmallShape, scale, seed, folder);
    } else if (workload == Workload::Moved) {
        MakeFolder(folder);
        m = GenerateSmallFiles(MovedShape, scale, seed, folder);
    } else if (workload == Workload::FewLarge) {
        MakeFolder(folder);
        m = GenerateFewLarge(scale, seed, folder);
    } else if (workload == Workload::StopPair) {
        MakeFolder(folder);
        m = GenerateStopPair(scale, seed, folder);
    } else if (workload == Workload::Vendored) {
        MakeFolder(folder);
        m = GenerateVendored(scale, seed, folder);
    } else {
        throw std::runtime_error("unknown workload \"" + workload + "\"");
    }
    m.Workload = workload;
    m.Scale = scale;
    m.Seed = seed;
    std::sort(m.Changed.begin(), m.Changed.end());
    std::sort(m.Deleted.begin(), m.Deleted.end());
    std::sort(m.Added.begin(), m.Added.end());
    std::sort(m.Renamed.begin(), m.Renamed.end());
    std::sort(m.Moved.begin(), m.Moved.end());
    return m;
}

TManifest PrepareWorkload(const std::string& workload, double scale, uint64_t seed,
                          const std::string& folder, bool& generated) {
    const std::string manifestPath = folder + "/manifest.txt";
    TManifest m;
    std::string error;
    if (ReadManifest(manifestPath, m, error) && m.SameParameters(workload, scale, seed)) {
        TTreeCount a = CountTree(folder + "/A"), b = CountTree(folder + "/B");
        if (a.Files == m.FilesA && a.Folders == m.FoldersA && a.Bytes == m.BytesA &&
            b.Files == m.FilesB && b.Folders == m.FoldersB && b.Bytes == m.BytesB) {
            generated = false;
            return m;
        }
    }
    std::filesystem::remove_all(folder);
    m = GenerateWorkload(workload, scale, seed, folder);
    SyncFileSystem(folder);
    WriteManifest(m, manifestPath);
    generated = true;
    return m;
}
