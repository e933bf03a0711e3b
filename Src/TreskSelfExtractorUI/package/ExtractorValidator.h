#pragma once
// Chooses and tests the extraction folder: well-formed, not too long, creatable and writable,
// with room for the package.

#include <cstdint>
#include <string>

#include "util/FolderText.h"
#include "util/Util.h"

class CExtractorValidator {
public:
    void SetSettingsPath(const std::wstring& path) { settingsPath = path; }
    const std::wstring& GetSettingsPath() const { return settingsPath; }

    // Silent and Unattended: the first usable folder of the candidates, or empty.
    std::wstring GetFinalExtractPathParam(const std::wstring& commandLineFolder, const std::wstring& packageName,
                                          const std::wstring& tempFolder, int multiPart);
    // 0 usable (folder in its normal form, ending in a backslash), else the path validator's code,
    // or -1 when the drive is too small. The caller stores the folder it settles on.
    int ValidatePathAndSpaceAvailable(std::wstring& folder, int showMessage, int64_t requiredSpace);
    // 1 enough space, 0 not enough or unreadable; message is the text for the user.
    int CheckFreeSpace(const std::wstring& folder, int64_t requiredSpace, std::wstring& message);
    // The user message for a path error; shown in a message box when showMessage is 1.
    std::wstring ErrorMessagesForInvalidPath(int code, const std::wstring& folder, int showMessage);
    // Bytes the extraction needs on the drive of candidateFolder.
    int64_t GetRequiredSpace(const std::wstring& tempFolder, const std::wstring& candidateFolder, int multiPart);

    // Part files of a multi-part package: found beside the program, hashed and compared with the
    // settings. Status lines are added at the head of the list.
    std::wstring GetValidPartName(std::wstring& missingPart, TextList& status);
    int ValidateParts(std::wstring& missingPart, TextList& status);
    const std::wstring& GetFirstPartName() const { return firstPartName; }
    const std::wstring& GetPartPattern() const { return partPattern; }

    // The package's conditions for the setup language: 1 when extraction may go on. The keys
    // of the messages of the conditions not met are kept for the requirements page.
    int CheckConditions(int language);
    const std::wstring& GetConditionMessageKeys() const { return conditionMessageKeys; }

    // Command-line values that only Silent and Unattended runs honour.
    void ValidateAndSetAutolaunchFromCommandLine(const std::wstring& autolaunchValue);
    void ValidateSetupLangPassedFromCommandLine(const std::wstring& setupLanguageValue);
    void SetLanguaeForProgressBar(int language);

private:
    std::wstring PartName(int number) const;

    std::wstring settingsPath;
    std::wstring conditionMessageKeys;
    std::wstring partPattern;    // base name, "." and the three-digit part number
    std::wstring firstPartName;
};

// Why a candidate folder is not used, besides the path validator's codes.
enum : int {
    FOLDER_NO_SPACE = -1,          // its drive has too little free space
    FOLDER_VARIABLE_NOT_SET = -2,  // it begins with an environment variable that is not set
};
// The reason a candidate folder was refused, for the log: the path validator's codes and the two
// above.
std::wstring FolderRefusalReason(int code);
// The free-space decision with plain numbers: enough when available >= required.
bool HasEnoughSpace(uint64_t availableBytes, int64_t requiredBytes);

// The one extract-path validator of the process.
extern CExtractorValidator theValidator;
