#include "launch/AutolaunchList.h"

#include <windows.h>

#include "app/RunMode.h"
#include "app/ReturnCodes.h"
#include "cleanup/DeleteOnExit.h"
#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "package/ResultCode.h"
#include "package/Settings.h"

namespace {

const wchar_t* const kFunction = L"GetAutolaunchApps";
const wchar_t* const kAssistant = L"InstData\\Resources\\Zub2.exe";

void LogHandOverWrite(int written) {
    theLog.Log(LOG_INFO, kFunction,
               written == 1 ? L"Writing to ExtractedFilesToDelete.txt is success"
                            : L"Creation of ExtractedFilesToDelete.txt Failed");
}

}  // namespace

std::wstring HandOverArgument(const std::wstring& extractPath) {
    return L"/DeleteOnFinish=\"" + extractPath + HANDOVER_FILE_NAME + L"\"";
}

std::wstring AssistantPath(const std::wstring& extractPath, const std::wstring& folderPart) {
    if (folderPart.empty()) return FormatWide(L"%s%s", extractPath, kAssistant);
    return FormatWide(L"%s%s\\%s", extractPath, folderPart, kAssistant);
}

std::wstring BuildEntryArguments(const CEntryArgumentInput& input, bool& handOverGiven) {
    handOverGiven = false;
    if (_wcsicmp(input.mode.c_str(), L"Qirva") == 0) {
        // The "%s %s" join always inserts the blank, also before an empty mode-specific value.
        if (input.runMode == MODE_SILENT) return input.configured + L" " + input.silent;
        if (input.runMode == MODE_UNATTENDED) return input.configured + L" " + input.unattended;
    }
    if (input.deleteOnExit == 1 && input.assistantPresent == 1) {
        handOverGiven = true;
        return input.configured + L" " + input.handOverArgument;
    }
    return input.configured;
}

int FinishHandOver(TextList& parameterList, const std::wstring& handOverTail) {
    if (parameterList.empty()) return 0;
    int headCarries = parameterList.front().find(handOverTail) != std::wstring::npos ? 1 : 0;
    for (auto entry = std::next(parameterList.begin()); entry != parameterList.end(); ++entry) {
        for (size_t at = entry->find(handOverTail); at != std::wstring::npos; at = entry->find(handOverTail, at))
            entry->erase(at, handOverTail.size());
    }
    return headCarries;
}

void GetAutolaunchApps(const std::wstring& languageSection, int runMode, int deleteOnExit,
                       CReturnCodeMessages* returnCodes, TextList& launchList, TextList& parameterList) {
    const std::wstring& settings = theInitializer.GetSettingsPath();
    const std::wstring& extractPath = theInitializer.GetExtractPath();
    const int waitForFinish = theInitializer.GetWaitForAutolaunchFinish();
    const std::wstring handOver = HandOverArgument(extractPath);

    // 0 stands for the one unnumbered entry of a single-launch package.
    int number = GetSettingString(settings, L"Runtime", L"Multilaunch") == L"1" ? 1 : 0;
    bool failed = false;
    while (true) {
        std::wstring launchKey = number == 0 ? std::wstring(L"AutoLaunch") : FormatWide(L"%s%d", L"AutoLaunch", number);
        std::wstring value = GetSettingString(settings, L"Runtime", launchKey.c_str());
        if (value.empty()) break;

        size_t slash = value.find_last_of(L'\\');
        std::wstring folderPart = slash == std::wstring::npos ? std::wstring() : value.substr(0, slash);
        std::wstring programName = slash == std::wstring::npos ? value : value.substr(slash + 1);
        int assistantPresent = 0;
        if (_wcsicmp(programName.c_str(), L"Start.exe") == 0)
            assistantPresent = CUtil::FileExists(AssistantPath(extractPath, folderPart)) ? 1 : 0;

        theLog.Log(LOG_INFO, kFunction, L"%s : %s", launchKey, value);
        std::wstring launchPath = FormatWide(L"%s\\%s", extractPath, value);
        if (CUtil::CheckPathLength(launchPath, L"900") != 1) {
            theInitializer.SetPackageResultCode(RESULT_FAILED);
            theLog.Log(LOG_ERROR, L"Folder depth is too large to run the setup.", L"%s", launchPath);
            failed = true;
            break;
        }
        if (!CUtil::FileExists(launchPath)) {
            // A missing program fails the whole list, but the later numbers are still examined;
            // a single-launch package goes on with AutoLaunch1.
            theInitializer.SetPackageResultCode(RESULT_SETUP_NOT_FOUND);
            theLog.Log(LOG_ERROR, L"File for launching the setup not found : ", L"%s", launchPath);
            failed = true;
            ++number;
            continue;
        }
        if (returnCodes) returnCodes->LoadReturnCodeMessages(launchKey);

        std::wstring parameterKey =
            number == 0 ? std::wstring(L"LaunchEXEParams") : FormatWide(L"%s%d", L"LaunchEXEParams", number);
        CEntryArgumentInput input;
        input.configured = GetSettingString(settings, languageSection.c_str(), parameterKey.c_str());
        input.mode = GetSettingString(settings, L"Runtime", L"Mode");
        input.runMode = runMode;
        input.deleteOnExit = deleteOnExit;
        input.assistantPresent = assistantPresent;
        input.handOverArgument = handOver;
        theLog.Log(LOG_INFO, kFunction, L"Mode - %s", input.mode);
        if (_wcsicmp(input.mode.c_str(), L"Qirva") == 0) {
            theLog.Log(LOG_INFO, kFunction, L"Mode identified as Qirva");
            input.silent = GetSettingString(settings, languageSection.c_str(), (parameterKey + L"Silent").c_str());
            input.unattended =
                GetSettingString(settings, languageSection.c_str(), (parameterKey + L"Unattended").c_str());
            if (runMode == MODE_SILENT) theLog.Log(LOG_INFO, kFunction, L"Silent Mode identified for web Package");
            if (runMode == MODE_UNATTENDED)
                theLog.Log(LOG_INFO, kFunction, L"Unattended Mode identified for web Package");
        }
        bool handOverGiven = false;
        std::wstring arguments = BuildEntryArguments(input, handOverGiven);
        // Without waiting the program cannot delete after the setup, so each frame setup that is
        // told to delete gets its list at once.
        if (handOverGiven && waitForFinish == 0) LogHandOverWrite(WriteToDeletetxt());

        launchList.push_front(launchKey + L":" + launchPath);
        parameterList.push_front(arguments);
        if (number == 0) break;
        ++number;
    }

    if (waitForFinish == 1 && deleteOnExit == 1) {
        if (FinishHandOver(parameterList, L" " + handOver) == 1) {
            LogHandOverWrite(WriteToDeletetxt());
            theInitializer.SetFrameDeletesOnExit(0);
        } else {
            theInitializer.SetFrameDeletesOnExit(1);
        }
    }

    auto launch = launchList.rbegin();
    auto parameters = parameterList.rbegin();
    for (; launch != launchList.rend() && parameters != parameterList.rend(); ++launch, ++parameters)
        theLog.Log(LOG_INFO, kFunction, L"Parameters for Application %s to be launched is - %s", *launch, *parameters);

    if (failed) launchList.clear();
}
