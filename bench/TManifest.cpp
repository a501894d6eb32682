#include "TManifest.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {
constexpr const char* Magic = "tandril-bench-manifest";
}

void WriteManifest(const TManifest& m, const std::string& path) {
    std::ostringstream out;
    char scale[64];
    std::snprintf(scale, sizeof scale, "%.17g", m.Scale);  // round-trips exactly
    out << Magic << ' ' << TManifest::FormatVersion << '\n'
        << "workload " << m.Workload << '\n'
        << "scale " << scale << '\n'
        << "seed " << m.Seed << '\n'
        << "tree-a " << m.FilesA << ' ' << m.FoldersA << ' ' << m.BytesA << '\n'
        << "tree-b " << m.FilesB << ' ' << m.FoldersB << ' ' << m.BytesB << '\n';
    // Only where there are any, so that other workloads' manifests stay as they were.
    if (m.ExcludedFilesA + m.ExcludedFoldersA + m.ExcludedFilesB + m.ExcludedFoldersB > 0)
        out << "excluded " << m.ExcludedFilesA << ' ' << m.ExcludedFoldersA << ' '
            << m.ExcludedFilesB << ' ' << m.ExcludedFoldersB << '\n';
    for (const auto& p : m.Changed)
        out << "changed " << p << '\n';
    for (const auto& p : m.Deleted)
        out << "deleted " << p << '\n';
    for (const auto& p : m.Added)
        out << "added " << p << '\n';
    for (const auto& [a, b] : m.Renamed)
        out << "renamed " << a << ' ' << b << '\n';
    for (const auto& [a, b] : m.Moved)
        out << "moved " << a << ' ' << b << '\n';
    out << "end\n";

    std::string temp = path + ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file << out.str();
        if (!file.flush())
            throw std::runtime_error("write(" + temp + ") failed");
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0)
        throw std::runtime_error("rename(" + temp + ") failed");
}

bool ReadManifest(const std::string& path, TManifest& m, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "no manifest at " + path;
        return false;
    }
    m = TManifest();
    std::string line;
    bool sawMagic = false, sawEnd = false;
    while (std::getline(file, line)) {
        std::istringstream in(line);
        std::string key;
        in >> key;
        if (!sawMagic) {
            int version = 0;
            in >> version;
            if (key != Magic || version != TManifest::FormatVersion) {
                error = path + ": not a manifest of format version " +
                        std::to_string(TManifest::FormatVersion);
                return false;
            }
            sawMagic = true;
        } else if (key == "workload") {
            in >> m.Workload;
        } else if (key == "scale") {
            in >> m.Scale;
        } else if (key == "seed") {
            in >> m.Seed;
        } else if (key == "tree-a") {
            in >> m.FilesA >> m.FoldersA >> m.BytesA;
        } else if (key == "tree-b") {
            in >> m.FilesB >> m.FoldersB >> m.BytesB;
        } else if (key == "excluded") {
            in >> m.ExcludedFilesA >> m.ExcludedFoldersA >> m.ExcludedFilesB >> m.ExcludedFoldersB;
        } else if (key == "changed" || key == "deleted" || key == "added") {
            std::string p;
            in >> p;
            (key == "changed" ? m.Changed : key == "deleted" ? m.Deleted : m.Added).push_back(p);
        } else if (key == "renamed" || key == "moved") {
            std::string a, b;
            in >> a >> b;
            (key == "renamed" ? m.Renamed : m.Moved).emplace_back(a, b);
        } else if (key == "end") {
            sawEnd = true;
            break;
        } else {
            error = path + ": unknown line \"" + line + "\"";
            return false;
        }
        if (in.fail()) {
            error = path + ": malformed line \"" + line + "\"";
            return false;
        }
    }
    if (!sawEnd) {
        error = path + ": incomplete manifest";
        return false;
    }
    return true;
}
