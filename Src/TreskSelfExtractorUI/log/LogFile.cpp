#include "log/LogFile.h"

#include <windows.h>

#include <cwchar>
#include <mutex>
#include <vector>

#include "util/Handles.h"
#include "util/Util.h"

namespace {

// One set of counters for the whole process, created by the first InitLog and never reset, so
// that the summary at exit covers every log file of the run.
uint16_t g_levelCounters[LOG_LEVEL_COUNT];
bool g_countersReady = false;

std::wstring CurrentTimeText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return FormatWide(L"%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
}

// Log files are written by the window thread and by the workers: one line at a time, each
// opened, appended and closed under this lock, so no two appends meet on the file.
std::mutex g_appendLock;

// How often an append waits for a log file that another process holds open at that moment (a
// second instance refusing to start appends to the same master log), 10 ms apart.
constexpr int kSharingRetries = 50;

bool AppendToFile(const std::wstring& path, const std::string& bytes) {
    if (path.empty()) return false;
    KernelHandle file;
    for (int attempt = 0; attempt <= kSharingRetries; ++attempt) {
        // Nothing is held here yet (a failed open holds nothing), so the last error is the open's.
        file.Reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || GetLastError() != ERROR_SHARING_VIOLATION) break;
        Sleep(10);
    }
    if (!file) return false;
    SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    // A failed or short write (disk full) loses the rest of the line; the caller never knows.
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return true;
}

}  // namespace

std::string ToLogBytes(const std::wstring& text) {
    std::wstring crlf;
    crlf.reserve(text.size() + 8);
    for (wchar_t c : text) {
        if (c == L'\n') crlf += L'\r';
        crlf += c;
    }
    if (crlf.empty()) return std::string();
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, crlf.data(), static_cast<int>(crlf.size()),
                                   nullptr, 0, "?", nullptr);
    if (size <= 0) return std::string();
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, crlf.data(), static_cast<int>(crlf.size()), &bytes[0],
                        size, "?", nullptr);
    return bytes;
}

int CLogFile::InitLog(const std::wstring& path, int newThreshold) {
    filePath = path;
    threshold = newThreshold;
    if (!g_countersReady) {
        for (auto& counter : g_levelCounters) counter = 0;
        g_countersReady = true;
    }
    return 0;
}

int CLogFile::DeleteLogFile() {
    return DeleteFileW(filePath.c_str()) ? 0 : -1;
}

std::wstring CLogFile::GetFileName() const {
    size_t slash = filePath.find_last_of(L'\\');
    return slash == std::wstring::npos ? filePath : filePath.substr(slash + 1);
}

std::wstring CLogFile::GetLevelText(int level) {
    if (level == LOG_ERROR) return L"ERROR     ";
    if (level >= 1 && level <= 6) return L"WARNING   ";
    return L"          ";
}

unsigned CLogFile::GetLevelCount(int level) {
    if (!g_countersReady || level < 0 || level >= LOG_LEVEL_COUNT) return 0;
    return g_levelCounters[level];
}

bool CLogFile::CountersReady() {
    return g_countersReady;
}

void CLogFile::Count(int level) {
    // Levels outside 0..11 are written when they pass the filter but have no counter.
    std::lock_guard<std::mutex> hold(g_appendLock);
    if (g_countersReady && level >= 0 && level < LOG_LEVEL_COUNT) ++g_levelCounters[level];
}

std::wstring CLogFile::MakeLine(int level, const std::wstring& functionColumn, const wchar_t* separator,
                                const std::wstring& message) const {
    return CurrentTimeText() + L"|" + GetLevelText(level) + L"|" + functionColumn + separator + message;
}

bool CLogFile::Append(const std::wstring& text, bool createFolders) const {
    std::string bytes = ToLogBytes(text);
    std::lock_guard<std::mutex> hold(g_appendLock);
    if (AppendToFile(filePath, bytes)) return true;
    if (!createFolders || filePath.empty()) return false;
    if (CUtil::CreateFolderOfFile(filePath) != 0) return false;
    return AppendToFile(filePath, bytes);
}

int CLogFile::LogFormatted(int level, const wchar_t* function, const wchar_t* format, ...) {
    if (Filtered(level)) return 0;
    va_list args;
    va_start(args, format);
    std::wstring message = FormatWideV(format, args) + L"\n";
    va_end(args);
    std::wstring column = FormatWide(L"%-35.45s", function ? function : L"");
    std::wstring line = MakeLine(level, column, L" |", message);
    Count(level);
    Append(line, false);
    return 0;
}

int CLogFile::LogLines(int level, const wchar_t* function, const wchar_t* format,
                       const std::vector<std::wstring>& arguments) {
    if (Filtered(level) || arguments.empty()) return 0;
    std::wstring column = FormatWide(L"%-35.45s", function ? function : L"");
    std::wstring text;
    for (const auto& argument : arguments) {
        text += MakeLine(level, column, L" |", FormatWideRaw(format, argument.c_str()) + L"\n");
        Count(level);
    }
    Append(text, false);
    return 0;
}

int CLogFile::LogUnnamedFormatted(int level, const wchar_t* format, ...) {
    if (Filtered(level)) return 0;
    va_list args;
    va_start(args, format);
    std::wstring message = FormatWideV(format, args) + L"\n";
    va_end(args);
    for (auto& c : message)
        if (c == L',') c = L'|';
    std::wstring line = MakeLine(level, FormatWide(L"%-35.45s", L"NonameFunction"), L"|", message);
    Count(level);
    Append(line, true);
    return 0;
}

int CLogFile::WriteRawFormatted(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatWideV(format, args);
    va_end(args);
    Append(text, true);
    return 0;
}
