#include "cab/CabSource.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cab/CabFormat.h"
#include "text/Utf.h"
#include "util/FileNameRules.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

struct SourceFacts {
    uint64_t size = 0;
    std::time_t modified = 0;
    uint16_t attributes = 0;
};

bool ReadFacts(const std::string& path, SourceFacts& facts, std::string& error) {
#ifdef _WIN32
    std::wstring wide = fs::u8path(path).wstring();
    struct _stat64 info;
    if (_wstat64(wide.c_str(), &info) != 0 || !(info.st_mode & _S_IFREG)) {
        error = "cannot read " + path + ": not a readable file";
        return false;
    }
    DWORD attributes = GetFileAttributesW(wide.c_str());
    facts.attributes = attributes == INVALID_FILE_ATTRIBUTES
                           ? CAB_ATTRIBUTE_ARCHIVE
                           : static_cast<uint16_t>(attributes & CAB_ATTRIBUTES_KEPT);
#else
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "cannot read " + path + ": not a readable file";
        return false;
    }
    // Linux has only the write permission to go by; every file counts as changed since the
    // last backup, as a freshly copied file does on Windows.
    facts.attributes = CAB_ATTRIBUTE_ARCHIVE | ((info.st_mode & S_IWUSR) ? 0 : CAB_ATTRIBUTE_READ_ONLY);
#endif
    facts.size = static_cast<uint64_t>(info.st_size);
    facts.modified = info.st_mtime;
    return true;
}

bool IsForbiddenCharacter(unsigned char c) {
    return c < 32 || std::strchr("/:*?\"<>|", c) != nullptr;
}

}  // namespace

bool SplitStoredName(const std::string& name, std::vector<std::string>& components, std::string& error) {
    components.clear();
    std::u16string wide;
    if (!Utf8ToUtf16(name, wide, error)) {
        error = "stored name is not valid UTF-8: " + error;
        return false;
    }
    size_t start = (!name.empty() && name[0] == '\\') ? 1 : 0;
    if (start == name.size()) {
        error = "stored name '" + name + "' names no file";
        return false;
    }
    while (start <= name.size()) {
        size_t end = name.find('\\', start);
        if (end == std::string::npos) end = name.size();
        std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            error = "stored name '" + name + "' has an empty, '.' or '..' component";
            return false;
        }
        for (unsigned char c : part) {
            if (IsForbiddenCharacter(c)) {
                error = "stored name '" + name + "' holds a character Windows file names cannot hold "
                        "(a drive, colon, slash, wildcard or control character)";
                return false;
            }
        }
        // Windows drops trailing dots and blanks, which would merge names or climb with "..".
        if (filenamerules::EndsInDotOrBlank(part)) {
            error = "stored name '" + name + "' has a component ending in a dot or blank";
            return false;
        }
        if (filenamerules::IsReservedDeviceName(part)) {
            error = "stored name '" + name + "' has a component that is a reserved device name (CON, PRN, AUX, NUL, "
                    "COM1-COM9, LPT1-LPT9, also with an extension): Windows would open the device, not a file";
            return false;
        }
        components.push_back(part);
        start = end + 1;
    }
    return true;
}

bool CheckStoredName(const std::string& name, std::string& error) {
    if (name.empty() || name[0] != '\\') {
        error = "stored name '" + name + "' must start with a backslash";
        return false;
    }
    if (name.size() > CAB_MAX_NAME_BYTES) {
        error = "stored name '" + name + "' is longer than " + std::to_string(CAB_MAX_NAME_BYTES) +
                " bytes (UTF-8), the longest a cabinet holds";
        return false;
    }
    std::vector<std::string> components;
    return SplitStoredName(name, components, error);
}

bool DescribeSourceFile(const std::string& path, const std::string& storedName, CabSourceFile& file,
                        std::string& error) {
    if (!CheckStoredName(storedName, error)) return false;
    SourceFacts facts;
    if (!ReadFacts(path, facts, error)) return false;
    file.sourcePath = path;
    file.storedName = storedName;
    file.size = facts.size;
    file.attributes = facts.attributes;
    DosDateTimeFromLocal(facts.modified, file.date, file.time);
    return true;
}

bool CollectPayloadFolder(const std::string& folder, std::vector<CabSourceFile>& files, std::string& error,
                          std::vector<std::pair<std::string, std::string>>* refusedNames) {
    files.clear();
    std::error_code code;
    fs::path root = fs::u8path(folder);
    if (!fs::is_directory(root, code)) {
        error = "payload folder " + folder + " does not exist";
        return false;
    }
    fs::recursive_directory_iterator it(root, fs::directory_options::none, code), end;
    for (; !code && it != end; it.increment(code)) {
        const fs::directory_entry& entry = *it;
        std::error_code typeCode;
        if (entry.is_directory(typeCode)) {
            if (entry.is_symlink(typeCode)) it.disable_recursion_pending();
            continue;
        }
        if (!entry.is_regular_file(typeCode)) continue;  // sockets, pipes, dangling links
        std::string relative = entry.path().lexically_relative(root).u8string();
        std::string stored = "\\";
        for (char c : relative) {
            if (c == '\\' && fs::path::preferred_separator != '\\') {
                error = entry.path().u8string() + ": a backslash in a file name cannot be stored";
                return false;
            }
            stored += (c == '/' || c == '\\') ? '\\' : c;
        }
        CabSourceFile file;
        if (refusedNames && !CheckStoredName(stored, error)) {
            refusedNames->emplace_back(entry.path().u8string(), error);
            continue;
        }
        if (!DescribeSourceFile(entry.path().u8string(), stored, file, error)) return false;
        files.push_back(std::move(file));
    }
    if (code) {
        error = "cannot list " + folder + ": " + code.message();
        return false;
    }
    std::sort(files.begin(), files.end(),
              [](const CabSourceFile& a, const CabSourceFile& b) { return a.storedName < b.storedName; });
    return true;
}
