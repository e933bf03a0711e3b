#pragma once
// What the process runner and the wizard driver share: starting a program as a user would, and the
// windows its process shows.

#include <windows.h>

#include <string>
#include <vector>

// Starts the command line (a program and its arguments) in a process of its own. On success the
// caller owns both handles in process.
bool StartProcess(const std::wstring& commandLine, PROCESS_INFORMATION& process);
// The same for the program at exePath (quoted) with the arguments.
bool StartProgram(const std::wstring& exePath, const std::wstring& arguments, PROCESS_INFORMATION& process);

// The visible top-level windows of the process, in the order the system lists them.
std::vector<HWND> VisibleTopLevelWindows(DWORD processId);
