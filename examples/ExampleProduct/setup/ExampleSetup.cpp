// The example package's setup program: it records how it was started and ends with the exit
// code it is told, so a package run shows what the launcher passed on.
//   Setup.exe [/quiet] [/exitcode=N]
#include <windows.h>

#include <cwchar>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    wchar_t folder[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, folder, MAX_PATH);
    if (wchar_t* slash = wcsrchr(folder, L'\\')) *slash = 0;
    std::wstring record = std::wstring(folder) + L"\\SetupRan.txt";
    HANDLE file = CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        std::wstring text = std::wstring(GetCommandLineW()) + L"\r\n";
        int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string bytes(size > 0 ? size - 1 : 0, '\0');
        if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    const wchar_t* option = wcsstr(commandLine, L"/exitcode=");
    return option ? _wtoi(option + 10) : 0;
}
