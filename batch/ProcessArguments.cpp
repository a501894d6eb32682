#include "ProcessArguments.h"

namespace {
std::vector<std::string>& Arguments() {
    static std::vector<std::string> arguments;
    return arguments;
}
}  // namespace

void StoreProcessArguments(int argc, const char* const* argv) {
    Arguments().assign(argv, argv + argc);
}

const std::vector<std::string>& ProcessArguments() {
    return Arguments();
}
