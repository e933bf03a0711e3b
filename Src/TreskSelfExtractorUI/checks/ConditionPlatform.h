#pragma once
// What the condition tests ask the platform: registry values (default and 64-bit view), the
// presence and the version resource of files, and the process environment.

#include <string>

// Reads a registry value as text. root is a ROOT_* number (ROOT_NONE fails); is64 reads the
// 64-bit view. Returns REGISTRY_FOUND whatever the type, REGISTRY_MISSING when the key cannot be
// opened or the value does not exist.
//   REG_DWORD    signed decimal (4294967295 reads -1)
//   REG_QWORD    signed decimal of the 64-bit number, read like REG_DWORD
//   REG_MULTI_SZ its first string
//   REG_BINARY   empty
//   other types  the data as text of at most 1024 characters; empty when it does not fit
int ReadRegistryValue(int root, const std::wstring& keyPath, const std::wstring& valueName, bool is64,
                      std::wstring& value);
// The same for a condition's registry path: {HKEY_...\key path\value name}.
int ReadRegistryPath(const std::wstring& path, bool is64, std::wstring& value);

// A condition's file path with its [%VAR%] reference taken from the process environment.
std::wstring ExpandFilePath(const std::wstring& path);
// Whether a file-system search for the path (wildcards allowed) finds an entry.
bool FindFileEntry(const std::wstring& path);
// The file version "%d.%d.%d.%d" of the file's version resource, empty when it has none.
std::wstring GetFileVersion(const std::wstring& path);
