#pragma once
// Builds real packages for the end-to-end tests: a copy of the program with its version stamp and
// an attached container, made with the packager's own library.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct TestFile {
    std::string name;   // plain file name (UTF-8)
    std::string bytes;
};

// Writes folder\exeName: the program, the settings file (UTF-8 INI text, stored UTF-16LE with
// byte-order mark) as the first support file, then the other support files and the payload
// cabinet (a one-file cabinet when none is given). Returns the package's path.
std::wstring MakePackage(const std::wstring& folder, const std::wstring& exeName, const std::string& settings,
                         const std::vector<TestFile>& supportFiles = {}, const std::string* payload = nullptr);
// The same with the settings file's bytes stored as they are given (for settings in another form).
std::wstring MakePackageWithSettingsBytes(const std::wstring& folder, const std::wstring& exeName,
                                          const std::string& settingsBytes, const std::vector<TestFile>& supportFiles = {},
                                          const std::string* payload = nullptr);

// A cabinet with the package's signature holding the files (built in a scratch folder).
std::string MakeCabinet(const std::wstring& scratch, const std::vector<TestFile>& files);

// A cabinet with the package's signature whose entries are stored under the names given, in that
// order, duplicates included: entries are (stored name, bytes).
std::string MakeCabinetStoredAs(const std::wstring& scratch, const std::vector<TestFile>& entries);
// A UTF-16LE language or settings file with byte-order mark from UTF-8 text.
std::string Utf16File(const std::string& utf8Text);

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// A package built by the packager itself from a payload folder written from files; with a part
// size, a multi-part package (part files beside it). Returns the package's path.
struct TestPayloadFile {
    std::string name;   // relative path, backslashes
    std::string bytes;
    unsigned long attributes = 0;
};
std::wstring BuildTestPackage(const std::wstring& folder, const std::wstring& exeName, const std::string& settings,
                              const std::vector<TestPayloadFile>& payload, uint64_t partSize = 0);

// Rewrites the settings file inside a built package (UTF-8 text in, UTF-8 text out).
void RewritePackageSettings(const std::wstring& package, const std::function<std::string(const std::string&)>& change);
