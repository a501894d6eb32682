#include "MachineInfo.h"

#include <sys/statfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <fstream>

#include "BenchText.h"

namespace {

std::string ProcFileValue(const char* path, const std::string& key) {
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        size_t begin = line.find_first_not_of(" \t", colon + 1);
        return begin == std::string::npos ? "" : line.substr(begin);
    }
    return "";
}

std::string FileSystemOf(const std::string& path) {
    struct statfs fs;
    if (::statfs(path.c_str(), &fs) != 0)
        return "unknown file system";
    switch (static_cast<unsigned long>(fs.f_type)) {
        case 0xEF53:
            return "ext4";
        case 0x58465342:
            return "xfs";
        case 0x9123683E:
            return "btrfs";
        case 0x01021994:
            return "tmpfs";
        case 0x794C7630:
            return "overlayfs";
        case 0x2FC12FC1:
            return "zfs";
        case 0x6969:
            return "nfs";
        default:
            return Format("file system 0x%lx", static_cast<unsigned long>(fs.f_type));
    }
}

}  // namespace

std::string DescribeMachine(const std::string& dataDir) {
    char date[64];
    std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
    struct utsname name {};
    ::uname(&name);
    long long memKiB = std::atoll(ProcFileValue("/proc/meminfo", "MemTotal").c_str());
    std::string cpu = ProcFileValue("/proc/cpuinfo", "model name");
    // The load when the run begins: other work on the machine skews timings.
    return Format("%s; %s, %ld cores, %.1f GiB memory; Linux %s; data on %s; load average %s", date,
                  cpu.empty() ? "unknown processor" : cpu.c_str(), ::sysconf(_SC_NPROCESSORS_ONLN),
                  double(memKiB) / 1048576, name.release, FileSystemOf(dataDir).c_str(),
                  LoadAverage().c_str());
}

std::string LoadAverage() {
    double load[3] = {-1, -1, -1};
    ::getloadavg(load, 3);
    return Format("%.2f %.2f %.2f", load[0], load[1], load[2]);
}
