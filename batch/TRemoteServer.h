#pragma once

#include <string>
#include <vector>

// The far side of a remote comparison, started by the near TandrilB through
// ssh: "TandrilB /serve PATH [/exclude PATTERN]...". It greets, lists PATH
// and streams its entries as it lists them, then digests the files the near
// side asks for, several at once, answering in the order asked. The end of
// its input (the near side is done, stopped or gone) ends it at once,
// whatever it is doing.

// True when the arguments (argument 0 first) start the far side.
bool IsServeCommand(const std::vector<std::string>& arguments);

// Runs the far side; the process's exit status.
int RunRemoteServer(const std::vector<std::string>& arguments);
