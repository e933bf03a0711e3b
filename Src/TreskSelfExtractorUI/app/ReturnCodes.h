#pragma once
// The messages a package attaches to the return codes of the setups it launches, and the
// finish messages that sum up a run.

#include <map>
#include <string>

class CReturnCodeMessages {
public:
    // Reads the return-code section of a launch entry (launchKey may be empty) and, once per
    // run, the language's closing text.
    void LoadReturnCodeMessages(const std::wstring& launchKey);
    // "error:" or "success:" as written, followed by the text of the referenced language key.
    std::wstring GetMessageFromLangSection(const std::wstring& value, const std::wstring& languageSection);
    // Records the outcome of a launched setup; -1 when the package marks the code as failure.
    int SetFinishMessage(int returnCode, const std::wstring& launchKey);
    std::wstring GetFinishMessage() const;
    bool IsResultNotConfigured() const;

    // The return code of the last setup whose code the package marks as failure; -2 until one.
    int GetSetupReturnCode() const { return setupReturnCode; }
    // The code of the last setup recorded at all, whatever the package makes of it.
    bool HasLastReturnCode() const { return lastReturnCodeSet; }
    int GetLastReturnCode() const { return lastReturnCode; }

    const std::map<std::wstring, std::wstring>& ReturnCodeMessages() const { return returnCodeMessages; }
    const std::map<std::wstring, std::wstring>& FinishMessages() const { return finishMessages; }

private:
    std::map<std::wstring, std::wstring> returnCodeMessages;
    std::map<std::wstring, std::wstring> finishMessages;
    int setupReturnCode = -2;
    bool lastReturnCodeSet = false;
    int lastReturnCode = 0;
};
