#include "app/TreskSelfExtractorUIApp.h"

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include "app/AppMessageBox.h"
#include "app/ExitCode.h"
#include "app/ExtractorCommandOpt.h"
#include "app/RunMode.h"
#include "app/SingleInstance.h"
#include "checks/OSValidator.h"
#include "cleanup/DeleteOnExit.h"
#include "extract/FileHash.h"
#include "log/BuildLogFile.h"
#include "package/Languages.h"
#include "package/QirvaInitalizer.h"
#include "package/ResultCode.h"
#include "package/Settings.h"
#include "package/UiText.h"
#include "util/Util.h"
#include "package/ExtractorValidator.h"
#include "wizard/QirvaSheet.h"
#include "wizard/UnattendedExtracter.h"

CTreskSelfExtractorUIApp theApp;

namespace {
const wchar_t* const kInitInstance = L"InitInstance";
}

int CTreskSelfExtractorUIApp::GetRunMode() const {
    return RunModeFor(silentFlag, unattendedFlag);
}

int CTreskSelfExtractorUIApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // 1. Imaging library.
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    // 2. The dialog font stays for every user interface language: the dialog font maps to the
    //    system's interface font of the language, which has the glyphs that a fixed face may lack.

    // 3. Command line.
    CExtractorCommandOpt commandLine;
    commandLine.ParseCommandLine(GetCommandLineW());

    // 4, 5. One instance at a time, and the master log. The other instance is looked for first: a
    // fresh master log would delete the one the running instance is writing.
    silentFlag = commandLine.silent;
    unattendedFlag = commandLine.unattended;
    theInitializer.SetRunMode(GetRunMode());
    CSingleInstance guard;
    if (guard.IsAnotherInstanceRunning()) {
        theInitializer.AppendToMasterLog(0);
        if (GetRunMode() == MODE_FULL_GUI) AppMessageBox(GetText(105), MB_OK);
        theLog.Log(LOG_ERROR, kInitInstance, L"Another instance is already running.");
        anotherInstance = 1;
        theInitializer.SetRunFailed();
        return 0;
    }
    theInitializer.OpenMasterLog(0);

    // 6. Object libraries.
    if (FAILED(OleInitialize(nullptr))) {
        if (GetRunMode() == MODE_FULL_GUI) AppMessageBox(GetText(901), MB_OK);
        theLog.Log(LOG_ERROR, kInitInstance,
                   L"OLE initialization failed.  Make sure that the OLE libraries are the correct version.");
        theInitializer.SetRunFailed();
        return 0;
    }
    oleInitialized = true;

    // 7. Package temporary folder.
    std::wstring message = CreateQirvaTempDir();
    if (!message.empty()) {
        SetMessageBoxCaption(GetText(103));
        if (GetRunMode() == MODE_FULL_GUI) AppMessageBox(message, MB_OK | MB_ICONERROR);
        Quit(-1, -1, L"");
    }

    // 8. Attached package files.
    int extracted = theInitializer.ExtractIntermediateFiles();
    if (extracted != 0) Quit(-1, extracted, L"");

    // 9. Fonts of the user interface.
    headingFont.Reset(wingui::CreateSimpleFont(L"Tahoma", 16, 600));
    statusFont.Reset(wingui::CreateSimpleFont(L"Tahoma", 15, 100));

    // 10. Package initialisation.
    CInitArguments arguments;
    arguments.debug = commandLine.debug;
    arguments.noConditionCheck = commandLine.noConditionCheck;
    arguments.noOSCheck = commandLine.noOSCheck;
    arguments.extractPath = commandLine.extractPathValue;
    arguments.autolaunch = commandLine.autolaunchValue;
    arguments.setupLanguage = commandLine.setupLanguageValue;
    arguments.runMode = GetRunMode();
    int initResult = theInitializer.Init(arguments);

    // 11. Keep the settings file from being changed while the run goes on.
    LockSettingsFile();

    // 12, 13. Band images: copies for the wizard, which decodes and draws them itself.
    CopyBandImage(L"BOTTOMImage", bottomImagePath);
    CopyBandImage(L"TopImage", topImagePath);

    // 14. Package title.
    displayName = theInitializer.GetPackageTitle();
    SetMessageBoxCaption(displayName);
    theLog.Log(LOG_INFO, L"Display Name", L"%s", displayName);

    // 15. Administrator rights.
    if (GetCheckAdmin() == 1 && !CUtil::IsUserAdmin(0)) {
        theLog.Log(LOG_ERROR, kInitInstance, L"User is not having admin rights.");
        std::wstring text = GetText(421);
        size_t escaped = text.find(L"\\n");
        if (escaped != std::wstring::npos) text = text.substr(0, escaped) + L"\n" + text.substr(escaped + 2);
        if (GetRunMode() == MODE_FULL_GUI) AppMessageBox(text, MB_OK);
        theInitializer.SetRunFailed();
        return 0;
    }

    // 16. Extraction password.
    if (CheckPassword(commandLine.passwordValue) == 0) {
        theInitializer.SetRunFailed();
        return 0;
    }

    // 17. Supported operating systems.
    ValidateOSBeforeExtraction();

    // 18. Front end.
    if (initResult == INIT_WITHOUT_WIZARD) {
        RunUnattended();
    } else if (initResult != INIT_FAILED) {
        theInitializer.SetSetupLanguage(GetDefaultSetupLanguage());
        LoadLanguageFile(theInitializer.GetSetupLanguage(), theInitializer.GetTempFolder());
        std::wstring errorText;
        unsigned long code = ComputeFileHash(theInitializer.GetSettingsPath(), settingsHash, errorText);
        if (code != 0)
            theLog.Log(LOG_WARNING, kInitInstance, L"%s : Return Code : %d", errorText, static_cast<int>(code));
        RunWizard(initResult == INIT_WIZARD ? 1 : 0);
    }

    // 19. The guard and the command line end with this function.
    guard.Release();
    return 0;
}

std::wstring CTreskSelfExtractorUIApp::CreateQirvaTempDir() {
    return theInitializer.CretaeAndValidateQirvaTempDir();
}

int CTreskSelfExtractorUIApp::GetCheckAdmin() {
    if (GetSettingString(theInitializer.GetSettingsPath(), L"Runtime", L"CheckAdmin") != L"1") return 0;
    theLog.Log(LOG_INFO, L"GetCheckAdmin", L"Admin rights needed for extraction");
    return 1;
}

int CTreskSelfExtractorUIApp::CheckPassword(const std::wstring& commandLinePassword) {
    const wchar_t* function = L"CheckPassword";
    SectionMap runtime;
    ReadSettingsSection(theInitializer.GetSettingsPath(), L"runtime", runtime);
    std::wstring stored;
    auto found = runtime.find(L"extractionpassword");
    if (found != runtime.end()) {
        stored = found->second;
        size_t begin = stored.find_first_not_of(L' ');
        size_t end = stored.find_last_not_of(L' ');
        stored = begin == std::wstring::npos ? std::wstring() : stored.substr(begin, end - begin + 1);
    }
    PrepareExtractionPassword(stored);

    if (GetRunMode() != MODE_FULL_GUI && passwordRequired == L"1") {
        if (commandLinePassword.empty()) {
            theLog.Log(LOG_ERROR, function,
                       L"Please provide the Password from the command line parameter : -ExtractionPassword");
            return 0;
        }
        if (commandLinePassword != extractionPassword) {
            theLog.Log(LOG_ERROR, function, L"Password provided by user is invalid");
            return 0;
        }
        theLog.Log(LOG_INFO, function, L"Password provided by user is correct");
    }
    return 1;
}

std::wstring UnscramblePassword(const std::wstring& stored, int number) {
    std::wstring plain;
    for (wchar_t c : stored) {
        int code = static_cast<int>(c) - number;
        if (static_cast<int>(c) - 32 < number) code += 95;
        plain += static_cast<wchar_t>(code);
    }
    return plain;
}

void CTreskSelfExtractorUIApp::PrepareExtractionPassword(const std::wstring& stored) {
    const std::wstring& settings = theInitializer.GetSettingsPath();
    int number = GetSettingInt(settings, L"Temporary", L"Number", 0);
    std::wstring required = GetSettingString(settings, L"Runtime", L"ExtractPasswordRequired");
    // The settings file is locked against writers; the rewrite happens between unlock and lock.
    UnlockSettingsFile();
    WritePrivateProfileStringW(L"Runtime", L"ExtractPasswordRequired", nullptr, settings.c_str());
    WritePrivateProfileStringW(L"Qirva", L"Required", required.c_str(), settings.c_str());
    WritePrivateProfileStringW(L"Runtime", L"ExtractionPassword", nullptr, settings.c_str());
    WritePrivateProfileStringW(L"Temporary", L"Number", nullptr, settings.c_str());
    LockSettingsFile();
    passwordRequired = GetSettingString(settings, L"Qirva", L"Required");
    extractionPassword = UnscramblePassword(stored, number);
}

void CTreskSelfExtractorUIApp::ValidateOSBeforeExtraction() {
    const wchar_t* function = L"ValidateOSBeforeExtraction";
    if (theInitializer.GetNoOSCheck() == 1) {
        theLog.Log(LOG_INFO, function, L"NoOSCheck is set");
        return;
    }
    osVerdict = theOSValidator.OSVersion(0);
    if (theInitializer.IsAutolaunchEnabled() != 1) return;
    theOSValidator.CheckOS(osVerdict, theInitializer.GetSetupLanguage(), 0);
    theInitializer.SetOSMessage(theOSValidator.GetOSMessage());
    if (osVerdict == OS_NOT_SUPPORTED) theLog.Log(LOG_ERROR, function, L"Current operating system not supported");

    if (GetSettingString(theInitializer.GetSettingsPath(), L"Package", L"CheckOs") != L"1") return;
    osCheckedBeforeExtraction = 1;
    if (osVerdict != OS_NOT_SUPPORTED || GetRunMode() != MODE_FULL_GUI) return;

    std::wstring servicePack = FormatServicePackText(theOSValidator.GetServicePackNumber(), GetText(422));
    std::wstring osName = FormatOSNameText(theOSValidator.GetOSName());
    theInitializer.SetSetupLanguage(GetDefaultSetupLanguage());
    LoadLanguageFile(theInitializer.GetSetupLanguage(), theInitializer.GetTempFolder());
    theLog.Log(LOG_INFO, function, L"Operating System will be validated before extraction");
    theLog.Log(LOG_INFO, function, L"Confirming from user : ");
    std::wstring text = ReplaceAll(GetText(418), L"[OSNAME]",
                                   FormatWide(L"%s %s %s", osName, theOSValidator.GetProductName(), servicePack));
    if (AppMessageBox(text, MB_YESNO) == IDNO) {
        theLog.Log(LOG_INFO, function, L"User confirmed to cancel the extraction");
        Quit(-1, -1, L"");
    }
    theLog.Log(LOG_INFO, function, L"User confirmed to continue the extraction");
}

void CTreskSelfExtractorUIApp::RunWizard(int defaultPathUsable) {
    // The licence page's viewer is the system's rich edit control, from the system folder only.
    if (!LoadLibraryExW(L"riched20.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        wchar_t system[MAX_PATH] = {};
        UINT length = GetSystemDirectoryW(system, MAX_PATH);
        if (length > 0 && length < MAX_PATH) LoadLibraryW((std::wstring(system, length) + L"\\riched20.dll").c_str());
    }
    const std::wstring& settings = theInitializer.GetSettingsPath();
    WizardPageSettings choice;
    choice.welcomeDialog = GetSettingString(settings, L"Dialogs", L"WelcomeDialog");
    choice.languageDialog = GetSettingString(settings, L"Dialogs", L"LanguageDialog");
    choice.licenseDialog = GetSettingString(settings, L"Dialogs", L"LicenseDialog");
    choice.allowChangeTarget = GetSettingString(settings, L"Runtime", L"AllowChangeTarget");
    choice.autoLaunchInstallationDialog = GetSettingString(settings, L"Runtime", L"AutoLaunchInstallationDialog");
    choice.conditionCheckSuppressed = theInitializer.GetConditionCheckSuppressed() == 1;
    choice.defaultPathUsable = defaultPathUsable == 1;
    theInitializer.SetPackageResultCode(RESULT_FAILED);
    if (!choice.conditionCheckSuppressed)
        choice.conditionsFulfilled = theValidator.CheckConditions(theInitializer.GetSetupLanguage()) == 1;

    CWizardContext context;
    context.titleFont = headingFont.Get();
    context.lightFont = statusFont.Get();
    context.topImagePath = topImagePath;
    context.bottomImagePath = bottomImagePath;
    context.worker = &workerThread;
    context.host = this;
    context.settingsHash = settingsHash;
    context.passwordRequired = passwordRequired;
    context.expectedPassword = extractionPassword;
    context.defaultPathUsable = defaultPathUsable;
    context.userUiLanguage = CUtil::GetUserUILanguage();
    context.osCheckedBeforeExtraction = osCheckedBeforeExtraction;
    context.deleteOnExit = &deleteOnExit;

    CQirvaSheet sheet(context);
    sheet.BuildPages(ChooseWizardPages(choice));
    if (sheet.Run(displayName) == -1) {
        theLog.Log(LOG_ERROR, L"RunWizard", L"The wizard could not be created : %s",
                   CUtil::GetSystemErrorText(GetLastError()));
        theInitializer.SetRunFailed();
    }
}

void CTreskSelfExtractorUIApp::RunUnattended() {
    CUnattendedExtracter window(unattendedFlag, workerThread, *this);
    if (window.DoModal() == CUnattendedExtracter::CLOSED_BY_USER) Quit(-1, 6, L"");
}

void CTreskSelfExtractorUIApp::CopyBandImage(const wchar_t* key, std::wstring& copyPath) {
    std::wstring name = GetSettingString(theInitializer.GetSettingsPath(), L"Images", key);
    copyPath.clear();
    if (name.empty()) return;
    std::wstring source = theInitializer.GetTempFolder() + name;
    size_t slash = source.find_last_of(L'\\');
    std::wstring fileName = slash == std::wstring::npos ? source : source.substr(slash + 1);
    wchar_t userTemp[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"temp", userTemp, MAX_PATH);
    std::wstring copy = FormatWide(L"%s\\%s", std::wstring(userTemp, length < MAX_PATH ? length : 0), fileName);
    copyPath = (length > 0 && length < MAX_PATH && CopyFileW(source.c_str(), copy.c_str(), FALSE)) ? copy : source;
}

void CTreskSelfExtractorUIApp::LockSettingsFile() {
    if (settingsLock) return;
    const std::wstring& path = theInitializer.GetSettingsPath();
    if (path.empty()) return;
    settingsLock.Reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

void CTreskSelfExtractorUIApp::UnlockSettingsFile() {
    settingsLock.Reset();
}

void CTreskSelfExtractorUIApp::DeletePackageTempFolder() {
    const wchar_t* function = L"DeletePackageTempFolder";
    UnlockSettingsFile();
    if (tempFolderDeleted) return;
    tempFolderDeleted = 1;
    if (extractionCancelledFlag.load() == 1) DeleteExtractedContents();
    std::wstring folder = theInitializer.GetTempFolder();
    CUtil::AddTrailingBackslash(folder);
    if (folder.size() <= 3) return;
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    theLog.Log(LOG_INFO, function, L"Temp directory : %s", folder);
    theLog.Log(LOG_INFO, L"Deleting folder : ", L"%s", folder);
    TextList remaining;
    CUtil::RemoveFolderTreeCollect(folder, remaining);
    for (const auto& entry : remaining) theLog.Log(LOG_WARNING, function, L"File could not be deleted : %s", entry);
}

void CTreskSelfExtractorUIApp::ReleaseAppResources() {
    UnlockSettingsFile();
    SetMessageBoxMainWindow(nullptr);
    for (const std::wstring* path : {&topImagePath, &bottomImagePath})
        if (!path->empty() && CUtil::FileExists(*path)) DeleteFileW(path->c_str());
    SetMessageBoxCaption(L"");
    LanguageTextTable().clear();
    theLog.Finish();
    theLog.WriteRaw(L"%s\n", LOG_END_BANNER);
}

void CTreskSelfExtractorUIApp::EndSession() {
    if (!anotherInstance) workerThread.WaitAndRelease(100);
    if (oleInitialized) OleUninitialize();
    oleInitialized = false;
    if (gdiplusToken) Gdiplus::GdiplusShutdown(gdiplusToken);
    gdiplusToken = 0;
}

void CTreskSelfExtractorUIApp::Quit(int levelFlag, int exitCode, const std::wstring& message) {
    if (!message.empty()) theLog.Log(levelFlag == -1 ? LOG_ERROR : LOG_INFO, L"Quit", L"%s", message);
    DeletePackageTempFolder();
    ReleaseAppResources();
    EndSession();
    ExitProcess(static_cast<UINT>(exitCode));
}

int CTreskSelfExtractorUIApp::ExitInstance() {
    // Delete-on-exit, unless the launched frame setup was handed the list and deletes instead.
    if (deleteOnExit == 1 && theInitializer.GetWaitForAutolaunchFinish() == 1 &&
        theInitializer.GetFrameDeletesOnExit() == 1)
        DeleteExtractedFilesAndFolders();
    DeletePackageTempFolder();
    SetupExitPassOn passOn;
    passOn.requested = theInitializer.GetReturnSetupExitCode();
    passOn.waitedFor = theInitializer.GetWaitForAutolaunchFinish() != 0;
    passOn.setupReturned = returnCodes.HasLastReturnCode();
    passOn.lastSetupCode = returnCodes.GetLastReturnCode();
    const int exitCode = ComputeExitCode(theInitializer.GetPackageResultCode(), theInitializer.GetSetupReturnCodeValid(),
                                         returnCodes.GetSetupReturnCode(), theInitializer.IsRunFailed(), passOn);
    // Where the package passes a setup's code on, the log says what the deployment tool was given.
    if (passOn.requested) theLog.Log(LOG_INFO, L"ExitInstance", L"Exit code of the package : %d", exitCode);
    ReleaseAppResources();
    EndSession();
    return exitCode;
}
