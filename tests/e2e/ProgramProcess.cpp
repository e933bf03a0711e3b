#include "ProgramProcess.h"

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) search->windows.push_back(window);
    return TRUE;
}

}  // namespace

bool StartProcess(const std::wstring& commandLine, PROCESS_INFORMATION& process) {
    // The system may write into the command line it is given.
    std::wstring text = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    process = {};
    return CreateProcessW(nullptr, &text[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) != FALSE;
}

bool StartProgram(const std::wstring& exePath, const std::wstring& arguments, PROCESS_INFORMATION& process) {
    return StartProcess(L"\"" + exePath + L"\" " + arguments, process);
}

std::vector<HWND> VisibleTopLevelWindows(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(CollectVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}
