#pragma once
// File-system, path, environment and text chores shared by the whole program.

#include <cstdint>
#include <list>
#include <map>
#include <string>

// Results of ValidatePath.
enum : int {
    PATH_OK = 0,
    PATH_NOT_WRITABLE = 5,        // not creatable or not writable on a local or removable drive
    PATH_NETWORK_NOT_WRITABLE = 82,
    PATH_INVALID = 161,
    PATH_TOO_LONG = 206,
};

using SectionMap = std::map<std::wstring, std::wstring>;
using TextList = std::list<std::wstring>;

class CUtil {
public:
    // Folder validation with a real write test. The caller's text is not changed; root receives
    // the drive (C:) or the share (\\server\share\) of the path.
    int ValidatePath(std::wstring path, std::wstring& root);
    // The top-most folder that ValidatePath created for its write test (and removed again).
    const std::wstring& GetTestCreatedFolder() const { return testCreatedFolder; }

    static int CanCreateFile(const std::wstring& folder, const std::wstring& prefix);

    static int DeleteTree(const std::wstring& folder);
    static int RemoveFolderTree(const std::wstring& folder);
    static int RemoveFolderTreeCollect(const std::wstring& folder, TextList& remaining);
    static unsigned ClearReadOnly(const std::wstring& path);

    static int CreateDirectoryPath(const std::wstring& folder, std::wstring& outcome);
    static int CreateFolderOfFile(const std::wstring& filePath);
    static bool FileExists(const std::wstring& path);
    // The whole file; false when it cannot be opened or read.
    static bool ReadFileBytes(const std::wstring& path, std::string& bytes);
    // True when the folder holds no entry (or cannot be listed).
    static bool IsEmptyFolder(const std::wstring& folder);
    static int CheckPathLength(const std::wstring& path, const std::wstring& limitText);
    static void AddTrailingBackslash(std::wstring& path);

    static std::wstring GetProgramPath();
    static std::wstring GetProgramFolder();
    static std::wstring GetProgramFileName();
    static std::wstring GetDriveName(const std::wstring& path);

    static std::wstring GetSystemErrorText(unsigned long code);
    static int GetUserUILanguage();
    static std::wstring GetLogonName();
    static std::wstring AddUserNameToFileName(const std::wstring& filePath);
    static int IsUserAdmin(int flag);
    // The running Windows' major version, as the system itself reports it (0 when unknown).
    static int GetMajorVersion();

    // Reads a whole section through a 2000-character buffer. Returns the key of the entry where a
    // section too long for the buffer was cut (empty when everything was read).
    static std::wstring ReadSection(const std::wstring& file, const std::wstring& section, SectionMap& entries);
    static void SplitText(const std::wstring& text, const std::wstring& delimiter, TextList& pieces);
    static std::wstring Trim(const std::wstring& text);
    static std::wstring ToLower(std::wstring text);
    static std::wstring ExpandEnvironmentPath(const std::wstring& text);

    static int ToInt(const std::wstring& text);
    static int64_t ToInt64(const std::wstring& text);
    static std::wstring FormatInt(int value);
    static void GetSizeUnit(int64_t bytes, double& value, std::wstring& unit);
    static std::wstring NewGuidText();

private:
    std::wstring testCreatedFolder;
};

// The one utility object of the process.
extern CUtil theUtil;
