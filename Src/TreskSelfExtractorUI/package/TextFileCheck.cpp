#include "package/TextFileCheck.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "log/BuildLogFile.h"
#include "util/Handles.h"
#include "util/TextFileForm.h"

namespace {

// The form is told by the first mebibyte: settings and language files are far smaller.
constexpr DWORD kBytesLooked = 1 << 20;

}  // namespace

bool WarnIfNotUtf16(const std::wstring& path, const wchar_t* what, const wchar_t* function) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file.Get(), &size);
    std::vector<unsigned char> bytes(static_cast<size_t>(size.QuadPart < kBytesLooked ? size.QuadPart : kBytesLooked));
    DWORD read = 0;
    bool ok =
        bytes.empty() || ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) != FALSE;
    file.Reset();
    if (!ok) return false;
    textfileform::Form form = textfileform::Classify(bytes.data(), read);
    if (form == textfileform::Form::Utf16Le) return false;
    const char* described = textfileform::Describe(form);
    theLog.Log(LOG_WARNING, function,
               L"The %s is not UTF-16LE with byte-order mark but %s: the system reads it in its 8-bit code page, "
               L"where characters outside ASCII come out wrong : %s",
               what, std::wstring(described, described + strlen(described)), path);
    return true;
}
