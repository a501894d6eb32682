#include "platform/SystemInfo.h"

#include <unistd.h>

#include <climits>
#include <ctime>

namespace platform {

std::string HostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return "";
    return name;
}

std::string UtcNowText() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    if (!gmtime_r(&now, &utc))
        return "";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace platform
