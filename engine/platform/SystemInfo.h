#pragma once

#include <string>

namespace platform {

// The machine's host name; empty when it cannot be had.
std::string HostName();

// The current time in UTC as "YYYY-MM-DDThh:mm:ssZ".
std::string UtcNowText();

}  // namespace platform
