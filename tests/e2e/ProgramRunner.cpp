#include "ProgramRunner.h"

#include <set>

#include "../unit/TestSupport.h"

std::wstring ProgramPath() {
    return TRESK_PROGRAM_PATH;
}

std::wstring LogFolder() {
    wchar_t buffer[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ALLUSERSPROFILE", buffer, MAX_PATH);
    return std::wstring(buffer) + L"\\Velmora\\Automation\\Logfiles";
}

std::wstring MasterLogPath() {
    return LogFolder() + L"\\Qirva.log";
}

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) search->windows.push_back(window);
    return TRUE;
}

BOOL CALLBACK AppendChildText(HWND child, LPARAM parameter) {
    wchar_t className[64] = {}, text[1024] = {};
    GetClassNameW(child, className, 64);
    if (_wcsicmp(className, L"Static") == 0 && GetWindowTextW(child, text, 1024) > 0) {
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
    ProgramRun run;
    std::wstring commandLine = L"\"" + ProgramPath() + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return run;
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
            WindowSearch search{process.dwProcessId, {}};
            EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
            for (HWND window : search.windows)
                if (IsWindowVisible(window) && seen.insert(window).second) onWindow(window);
        }
    }
    if (!run.finished) TerminateProcess(process.hProcess, 999);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

std::vector<std::string> ReadLogLines(const std::wstring& path) {
    std::string bytes = ReadBytes(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
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
