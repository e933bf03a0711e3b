#pragma once
// Builds real packages for the end-to-end tests: a copy of the program with its version stamp and
// an attached container, made with the packager's own library.

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

// A cabinet with the package's signature holding the files (built in a scratch folder).
std::string MakeCabinet(const std::wstring& scratch, const std::vector<TestFile>& files);

// A UTF-16LE language or settings file with byte-order mark from UTF-8 text.
std::string Utf16File(const std::string& utf8Text);

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
