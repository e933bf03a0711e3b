#include "TestPackage.h"

#include <windows.h>

#include <stdexcept>

#include "ProgramRunner.h"
#include "container/Container.h"
#include "container/VersionStamp.h"
#include "io/File.h"
#include "settings/IniDocument.h"
#include "text/Utf.h"

std::string ToUtf8(const std::wstring& text) {
    return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

std::wstring FromUtf8(const std::string& text) {
    std::u16string wide;
    std::string error;
    Utf8ToUtf16(text, wide, error);
    return std::wstring(wide.begin(), wide.end());
}

std::string Utf16File(const std::string& utf8Text) {
    return EncodeUtf16LeWithBom(utf8Text);
}

std::wstring MakePackage(const std::wstring& folder, const std::wstring& exeName, const std::string& settings,
                         const std::vector<TestFile>& supportFiles, const std::string* payload) {
    std::string error, program;
    if (!ReadWholeFile(ToUtf8(ProgramPath()), program, error)) throw std::runtime_error(error);
    VersionStampLocation stamp;
    if (!FindVersionStamp(program, stamp, error)) throw std::runtime_error(error);
    WriteStamp(program, stamp, static_cast<uint32_t>(program.size()));

    std::wstring path = folder + L"\\" + exeName;
    FILE* out = OpenFile(ToUtf8(path), "wb");
    if (!out) throw std::runtime_error("cannot create the package");
    bool ok = WriteAll(out, program.data(), program.size()) &&
              AppendEntryFromBytes(out, SETTINGS_ENTRY_NAME, ENTRY_SUPPORT_FILE, Utf16File(settings), error);
    for (const auto& file : supportFiles)
        ok = ok && AppendEntryFromBytes(out, file.name, ENTRY_SUPPORT_FILE, file.bytes, error);
    if (payload) ok = ok && AppendEntryFromBytes(out, PAYLOAD_ENTRY_NAME, ENTRY_PAYLOAD, *payload, error);
    fclose(out);
    if (!ok) throw std::runtime_error(error);
    return path;
}
