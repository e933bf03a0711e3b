#pragma once
// Starts the real program the way a user or an administrator would and reports what it did.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct ProgramRun {
    bool finished = false;   // ended by itself within the time limit
    DWORD exitCode = 0;      // all 32 bits, as the platform reports it
};

// Runs the program with the given arguments. While it runs, onWindow is called for every
// top-level window of the program's process that appears (it may close it).
ProgramRun RunProgram(const std::wstring& arguments, DWORD timeoutMs = 60000,
                      const std::function<void(HWND)>& onWindow = nullptr);
// The same for a package built from the program.
ProgramRun RunExe(const std::wstring& exePath, const std::wstring& arguments, DWORD timeoutMs = 60000,
                  const std::function<void(HWND)>& onWindow = nullptr);

std::wstring ProgramPath();
std::wstring LogFolder();
std::wstring MasterLogPath();
std::wstring ExtractionLogPath(const std::wstring& name = L"Extraction.log");

// Checks the frame of the log that is current at exit (start banner, summary, end banner) and
// returns its run stamp; checks the master log after the switch to the extraction log.
std::string ExpectFinalFrame(const std::wstring& path, const std::string& status, int errors, int warnings);
void ExpectMasterLogHandedOver(const std::wstring& extractionLog, const std::wstring& masterLog = MasterLogPath());

// Package temporary folders (C:\{GUID}) that exist right now.
std::vector<std::wstring> PackageTempFolders();

// Text of a window and of its static controls, one after the other.
std::wstring WindowTexts(HWND window);
