#include "ProgramRunner.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "../common/Environment.h"
#include "../common/FileBytes.h"
#include "../common/LogLines.h"
#include "../common/Narrow.h"
#include "ProgramProcess.h"

std::wstring ProgramPath() {
    return TRESK_PROGRAM_PATH;
}

std::wstring LogFolder() {
    return EnvironmentVariable(L"ALLUSERSPROFILE") + L"\\Velmora\\Automation\\Logfiles";
}

std::wstring MasterLogPath() {
    return LogFolder() + L"\\Qirva.log";
}

std::wstring ExtractionLogPath(const std::wstring& name) {
    return LogFolder() + L"\\" + name;
}

namespace {

BOOL CALLBACK AppendChildText(HWND child, LPARAM parameter) {
    wchar_t className[64] = {}, text[1024] = {};
    GetClassNameW(child, className, 64);
    DWORD_PTR length = 0;
    // WM_GETTEXT is carried across processes and gives the control's current text.
    if (_wcsicmp(className, L"Static") == 0 &&
        SendMessageTimeoutW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &length) &&
        length > 0) {
        auto* all = reinterpret_cast<std::wstring*>(parameter);
        *all += L"\n";
        *all += text;
    }
    return TRUE;
}

}  // namespace

std::wstring WindowTexts(HWND window) {
    wchar_t caption[512] = {};
    GetWindowTextW(window, caption, 512);
    std::wstring all = caption;
    EnumChildWindows(window, AppendChildText, reinterpret_cast<LPARAM>(&all));
    return all;
}

ProgramRun RunProgram(const std::wstring& arguments, DWORD timeoutMs, const std::function<void(HWND)>& onWindow) {
    return RunExe(ProgramPath(), arguments, timeoutMs, onWindow);
}

ProgramRun RunExe(const std::wstring& exePath, const std::wstring& arguments, DWORD timeoutMs,
                  const std::function<void(HWND)>& onWindow) {
    ProgramRun run;
    PROCESS_INFORMATION process;
    if (!StartProgram(exePath, arguments, process)) return run;
    std::set<HWND> seen;
    DWORD start = GetTickCount();
    while (true) {
        DWORD wait = WaitForSingleObject(process.hProcess, 50);
        if (wait == WAIT_OBJECT_0) {
            run.finished = true;
            break;
        }
        if (GetTickCount() - start > timeoutMs) break;
        if (onWindow) {
            for (HWND window : VisibleTopLevelWindows(process.dwProcessId))
                if (seen.insert(window).second) onWindow(window);
        }
    }
    if (!run.finished) TerminateProcess(process.hProcess, 999);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

std::vector<std::wstring> PackageTempFolders() {
    std::vector<std::wstring> folders;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(L"C:\\{*}", &data);
    if (find == INVALID_HANDLE_VALUE) return folders;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back(std::wstring(L"C:\\") + data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return folders;
}

std::string ExpectFinalFrame(const std::wstring& path, const std::string& status, int errors, int warnings) {
    std::string bytes = ReadBytes(path);
    EXPECT_GE(bytes.size(), 2u);
    if (bytes.size() >= 2) {
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    }
    auto lines = ReadLogLines(path);
    EXPECT_GE(lines.size(), 11u);
    if (lines.size() < 11) return std::string();
    std::smatch match;
    std::regex banner("^############################## --------- START(\\d{14}) --------- ##############################$");
    EXPECT_TRUE(std::regex_match(lines[0], match, banner)) << lines[0];
    std::string stamp = match.size() > 1 ? match[1].str() : std::string();
    size_t n = lines.size();
    EXPECT_EQ(lines[n - 10], "");
    EXPECT_EQ(lines[n - 9], "");
    EXPECT_EQ(lines[n - 8], "######## --------- START SUMMARY " + stamp + std::string(11, ' ') +
                                "##############################");
    std::regex time("^\\d\\d:\\d\\d:\\d\\d");
    for (size_t i = n - 7; i <= n - 5; ++i) EXPECT_TRUE(std::regex_search(lines[i], time)) << lines[i];
    EXPECT_EQ(lines[n - 7].substr(8), "|RETURN    |STATUS                                |" + status);
    EXPECT_EQ(lines[n - 6].substr(8), "|RETURN    |ERRORS                                |" + std::to_string(errors));
    EXPECT_EQ(lines[n - 5].substr(8),
              "|RETURN    |WARNINGS                              |" + std::to_string(warnings) + "  ");
    EXPECT_EQ(lines[n - 4], std::to_string(errors) + " Errors found and " + std::to_string(warnings) + " Warnings found");
    EXPECT_EQ(lines[n - 3], "");
    EXPECT_EQ(lines[n - 2], "######## --------- END SUMMARY " + stamp + std::string(13, ' ') +
                                "##############################");
    EXPECT_EQ(lines[n - 1], "############################## --------- End --------- ##############################");
    return stamp;
}

void ExpectMasterLogHandedOver(const std::wstring& extractionLog, const std::wstring& masterLog) {
    std::string bytes = ReadBytes(masterLog);
    const std::string end = "############################## --------- End --------- ##############################";
    ASSERT_GE(bytes.size(), end.size());
    // The master log ends with the end banner and no line break; the summary went to the
    // extraction log.
    EXPECT_EQ(bytes.substr(bytes.size() - end.size()), end);
    EXPECT_EQ(bytes.find("START SUMMARY"), std::string::npos);
    auto lines = ReadLogLines(masterLog);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2].substr(8),
              "|          |CreateExtractionLogFile             |Extraction Log File : " + ToNarrow(extractionLog));
    auto extraction = ReadLogLines(extractionLog);
    ASSERT_GE(extraction.size(), 2u);
    EXPECT_EQ(extraction[1].substr(8),
              "|          |CreateExtractionLogFile             |Master Log File : " + ToNarrow(masterLog));
}
