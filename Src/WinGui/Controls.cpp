#include "Controls.h"

#include <memory>

namespace wingui {

namespace {
DWORD CALLBACK ReadChunk(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    DWORD read = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(cookie), buffer, static_cast<DWORD>(wanted), &read, nullptr)) return 1;
    *given = static_cast<LONG>(read);
    return 0;
}
struct FileCloser {
    void operator()(HANDLE file) const { CloseHandle(file); }
};
}  // namespace

bool RichEdit::StreamInFile(const std::wstring& path, bool richText) const {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    // Closed on every way out; the window layer keeps no owner class of its own for one file.
    std::unique_ptr<void, FileCloser> owned(file);
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(file);
    stream.pfnCallback = ReadChunk;
    SendMessageW(edit, EM_STREAMIN, richText ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0;
}

}  // namespace wingui
