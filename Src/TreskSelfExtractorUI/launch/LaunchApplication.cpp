#include "launch/LaunchApplication.h"

#include <windows.h>
#include <shellapi.h>

#include "app/RunMode.h"
#include "package/QirvaInitalizer.h"
#include "checks/OSValidator.h"
#include "log/BuildLogFile.h"
#include "util/Handles.h"
#include "util/Util.h"

namespace {

const wchar_t* const kKnownVariables[] = {
    L"%temp%",        L"%tmp%",         L"%windir%",   L"%allusersprofile%",    L"%userprofile%",
    L"%systemroot%",  L"%appdata%",     L"%systemdrive%", L"%commonprogramfiles%", L"%homedrive%",
    L"%homepath%",    L"%localappdata%", L"%programdata%", L"%programfiles%",     L"%public%",
};

std::wstring launchCheckAdmin;

bool HasExtension(const std::wstring& path, const wchar_t* extension) {
    size_t dot = path.find_last_of(L'.');
    std::wstring found = dot == std::wstring::npos ? path : path.substr(dot);
    return _wcsicmp(found.c_str(), extension) == 0;
}

std::wstring StartFailureText(const std::wstring& program, DWORD error) {
    std::wstring reason = CUtil::GetSystemErrorText(error);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' '))
        reason.pop_back();
    if (reason.empty()) reason = FormatWide(L"error %d", static_cast<int>(error));
    return FormatWide(L"%s could not be started : %s", program, reason);
}

}  // namespace

CLaunchCommand LaunchCommandFor(const std::wstring& path, const std::wstring& arguments) {
    if (HasExtension(path, L".msi"))
        return {LaunchKind::Installer, L"msiexec.exe", FormatWide(L"/i \"%s\" %s", path, arguments)};
    if (HasExtension(path, L".exe")) return {LaunchKind::Executable, path, arguments};
    return {LaunchKind::Shell, path, arguments};
}

bool UseRunasVerb(const std::wstring& program, int osMajorVersion, int userIsAdmin, const std::wstring& checkAdmin) {
    if (_wcsicmp(program.c_str(), L"msiexec.exe") != 0) return false;
    if (osMajorVersion >= 6) return true;
    return osMajorVersion == 5 && userIsAdmin == 0 && checkAdmin == L"0";
}

void SetLaunchCheckAdmin(const std::wstring& value) {
    launchCheckAdmin = value;
}

const std::wstring& GetLaunchCheckAdmin() {
    return launchCheckAdmin;
}

int IsEnvVarPresent(const std::wstring& text, int& searchPosition) {
    if (searchPosition < 0 || static_cast<size_t>(searchPosition) > text.size()) return -1;
    size_t first = text.find(L'%', static_cast<size_t>(searchPosition));
    if (first == std::wstring::npos) return -1;
    size_t second = text.find(L'%', first + 1);
    if (second == std::wstring::npos || second + 1 >= text.size()) return -1;
    wchar_t next = text[second + 1];
    if (next != L'\\' && next != L' ' && next != L'"') return -1;
    std::wstring token = text.substr(first, second - first + 1);
    searchPosition = static_cast<int>(first + token.size());
    bool known = false;
    for (const wchar_t* variable : kKnownVariables) known = known || _wcsicmp(token.c_str(), variable) == 0;
    if (!known) theLog.Log(LOG_WARNING, L"IsEnvVarPresent", L"Env variable not supported..");
    return static_cast<int>(first);
}

void ExpandLaunchParameters(std::wstring& text) {
    int percentSigns = 0;
    for (wchar_t c : text) percentSigns += c == L'%' ? 1 : 0;
    int searchPosition = 0;
    while (percentSigns > 1) {
        int position = IsEnvVarPresent(text, searchPosition);
        if (position == -1) break;
        size_t start = static_cast<size_t>(position);
        size_t end = text.find(L'%', start + 1);
        std::wstring token = text.substr(start, end - start + 1);
        std::wstring bare;
        for (wchar_t c : token)
            if (c != L'"') bare += c;
        std::wstring value = CUtil::ExpandEnvironmentPath(bare);
        if (!value.empty()) {
            // Every occurrence is replaced; the search goes on behind the value put in at the
            // token found, so a value holding "%" is never read as a token.
            size_t tokenAt = start;
            for (size_t at = text.find(bare); at != std::wstring::npos; at = text.find(bare, at + value.size())) {
                text.replace(at, bare.size(), value);
                if (at < tokenAt) tokenAt = tokenAt + value.size() - bare.size();
            }
            searchPosition = static_cast<int>(tokenAt + value.size());
        }
        percentSigns -= 2;
    }
}

int LaunchApplication(const std::wstring& path, std::wstring& arguments, std::wstring& errorText, int wait) {
    ExpandLaunchParameters(arguments);
    CLaunchCommand command = LaunchCommandFor(path, arguments);
    if (command.kind == LaunchKind::Shell) return ExecuteAndWait(command.program, command.arguments, wait, errorText);
    return LaunchWithPipe(command.program, command.arguments, errorText, wait);
}

int LaunchWithPipe(const std::wstring& program, const std::wstring& arguments, std::wstring& errorText, int wait) {
    SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, TRUE};
    KernelHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Receive(), writeEnd.Receive(), &security, 0)) {
        errorText = L"Error on CreatePipe(). Launch File failed";
        return 0;
    }
    int exitCode = ExecuteAndWait(program, arguments, wait, errorText);
    // The pipe is closed before the pause.
    readEnd.Reset();
    writeEnd.Reset();
    Sleep(200);
    return exitCode;
}

int ExecuteAndWait(const std::wstring& program, const std::wstring& arguments, int wait, std::wstring& errorText) {
    int major = COSValidator::GetMajorVersion();
    // The administrator test matters only on major version 5; it is not made otherwise.
    int admin = major == 5 ? CUtil::IsUserAdmin(0) : 1;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    // Without a user to answer it, the system's error box for a program that cannot start would
    // hold a Silent or Unattended run for ever; the failure is logged instead.
    if (theInitializer.GetRunMode() != MODE_FULL_GUI) info.fMask |= SEE_MASK_FLAG_NO_UI;
    info.hwnd = nullptr;
    info.lpVerb = UseRunasVerb(program, major, admin, launchCheckAdmin) ? L"runas" : nullptr;
    info.lpFile = program.c_str();
    info.lpParameters = arguments.c_str();
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOW;
    if (!ShellExecuteExW(&info)) {
        errorText = StartFailureText(program, GetLastError());
        return 0;
    }
    DWORD exitCode = 0;
    // A document handed to a program that was already running has no process of its own.
    KernelHandle process(info.hProcess);
    if (process) {
        WaitForSingleObject(process.Get(), wait == 1 ? INFINITE : 0);
        if (!GetExitCodeProcess(process.Get(), &exitCode)) exitCode = 0;
    }
    return static_cast<int>(exitCode);
}
