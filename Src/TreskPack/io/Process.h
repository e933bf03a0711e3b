#pragma once
// Starting another program (the signer) and collecting what it prints.

#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;    // -1 also when it ended without an exit code (a signal)
    std::string output;   // standard output and standard error, interleaved
};

// Runs the program arguments[0] (looked up on PATH) with the other arguments, without a shell.
// input is written to its standard input. False when it could not be started.
bool RunProgram(const std::vector<std::string>& arguments, const std::string& input, ProcessResult& result,
                std::string& error);

// Runs a command line through the system's shell (sh -c; cmd /c on Windows).
bool RunShellCommand(const std::string& command, ProcessResult& result, std::string& error);

// A path or argument quoted for the system's shell.
std::string ShellQuote(const std::string& text);
