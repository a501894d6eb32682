#include "BenchTool.h"

#include <cstdio>
#include <sstream>

#include "BenchText.h"

namespace {

// The last lines of a program's standard error, to say why it failed.
void PrintErrorTail(const std::string& path) {
    std::string text = ReadWholeFile(path);
    if (text.size() > 2000)
        text = "..." + text.substr(text.size() - 2000);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        Print("     | " + line);
}

}  // namespace

void Print(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void PrintProblems(const std::string& what, const std::vector<std::string>& found,
                   const std::string& success, std::vector<std::string>& problems) {
    if (found.empty())
        return Print("   check: " + what + " " + success);
    Print("   check FAILED: " + what + ":");
    for (const auto& p : found) {
        Print("     " + p);
        problems.push_back(what + ": " + p);
    }
}

bool RunChecked(TTool& tool, std::vector<std::string>& problems, const std::string& when,
                TProcessResult* out) {
    TProcessResult r = RunProcess(tool.Spec);
    if (out)
        *out = r;
    for (int code : tool.GoodExits)
        if (r.Started && r.Signal == 0 && r.ExitCode == code)
            return true;
    std::string problem = tool.Label + " " + when + ": " + DescribeEnd(r);
    Print("   FAILED: " + problem);
    PrintErrorTail(tool.Spec.StderrPath);
    problems.push_back(problem);
    tool.Failed = true;
    return false;
}
