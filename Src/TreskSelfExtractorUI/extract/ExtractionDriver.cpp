#include "extract/ExtractionDriver.h"

#include "app/AppMessageBox.h"
#include "app/RunMode.h"
#include "app/WorkerMessages.h"
#include "app/WorkerThread.h"
#include "extract/CabDecompressor.h"
#include "extract/EmptyingGuard.h"
#include "log/BuildLogFile.h"
#include "package/AttachedFiles.h"
#include "package/ExtractorValidator.h"
#include "package/Languages.h"
#include "package/QirvaInitalizer.h"
#include "package/ResultCode.h"
#include "package/UiText.h"
#include "util/Util.h"

namespace {

constexpr uint32_t kPayloadBuffer = 5242880;

// Log lines of the driver are written by the window's thread.
void PostLog(const CWorkerNotifier& notifier, int level, const std::wstring& text) {
    if (notifier.IsAlive()) {
        notifier.PostLog(CWorkerLogRecord{level, L"ExtractPackage", L"%s", text});
        Sleep(10);
    } else {
        theLog.Log(level, L"ExtractPackage", L"%s", text);
    }
}

// Ends the extraction as failed. Every failure but the user's cancel also marks the run as
// failed, which the exit code reports.
void PostFailure(const CWorkerNotifier& notifier) {
    if (theInitializer.GetPackageResultCode() != RESULT_CANCELLED) theInitializer.SetRunFailed();
    notifier.Notify(WM_EXTRACT_FAILED, 0, 0);
}

}  // namespace

std::wstring ErrorMessage(int code, const std::wstring& fileName) {
    std::wstring translated, english;
    switch (code) {
        case 32:
            translated = ReplaceAll(ReplaceAll(GetText(509), L"[FILENAME]", fileName), L"[NEWLINE]", L"\n");
            english = L"Cannot copy " + fileName +
                      L" It is being used by another person or program.Close any programs that might be using the file "
                      L"and try again.";
            break;
        case 8:
        case 39: {
            std::wstring drive = CUtil::GetDriveName(theInitializer.GetExtractPath());
            translated = ReplaceAll(GetText(409), L"[DRIVENAME]", drive);
            english = L"There is not sufficient space on drive :" + drive;
            break;
        }
        case 5:
            translated = GetText(510);
            english = L"Access is denied.";
            break;
        case 1:
        case -2:
            translated = ReplaceAll(GetText(607), L"[FILENAME]", fileName);
            english = L"Part file " + fileName + L" not found";
            break;
        case -3:
            translated = ReplaceAll(GetText(608), L"[FILENAME]", fileName);
            english = L"Part file " + fileName + L" is invalid.";
            break;
        case -5:
            translated = ReplaceAll(GetText(615), L"[FILENAME]", fileName);
            english = L"Part file " + fileName + L" is corrupt.";
            break;
        default:
            english = CUtil::GetSystemErrorText(static_cast<unsigned long>(code));
            break;
    }
    if (theInitializer.GetRunMode() == MODE_FULL_GUI && !translated.empty()) AppMessageBox(translated, MB_OK | MB_ICONSTOP);
    return english;
}

void ExtractPackage(WorkerThread& worker) {
    CWorkerNotifier notifier(worker.GetWindow());
    std::wstring extractPath = theInitializer.GetExtractPath();
    std::wstring outcome;
    CUtil::CreateDirectoryPath(extractPath, outcome);
    if (WaitForSingleObject(worker.GetStopEvent(), 0) == WAIT_OBJECT_0) return;

    uint32_t offset = GetPayloadOffset();
    PostLog(notifier, LOG_INFO, FormatWide(L"Extracting the Setup to : %s", extractPath));

    if (!theInitializer.IsMultiPart()) {
        CExtractor reader(worker.GetWindow(), 0);
        int result = reader.ExtractFile(CUtil::GetProgramPath(), theInitializer.GetTempFolder(), ATTACHED_PAYLOAD, offset,
                                        kPayloadBuffer);
        if (result != 0) {
            theInitializer.SetPackageResultCode(result);
            PostFailure(notifier);
            return;
        }
    }
    notifier.Notify(WM_EXTRACT_PROGRESS, PROGRESS_SET_POSITION, 100);

    if (CUtil::FileExists(extractPath.substr(0, extractPath.find_last_not_of(L'\\') + 1)) && !CUtil::IsEmptyFolder(extractPath)) {
        // Compared in its final form, so a short name, a link or another alias of a system folder
        // is recognised as that folder.
        CFolderGuard guard = CollectProtectedFolders(CUtil::GetProgramFolder(), theInitializer.GetTempFolder());
        if (IsProtectedFromEmptying(ResolveFinalFolderPath(extractPath), guard)) {
            // Emptying it would delete far more than an earlier extraction: the files are
            // extracted into it as it is.
            PostLog(notifier, LOG_WARNING,
                    FormatWide(L"The extraction folder is not emptied because it holds system or package data : %s",
                               extractPath));
        } else {
            notifier.Notify(WM_EXTRACT_PROGRESS, PROGRESS_EMPTY_FOLDER, 0);
            PostLog(notifier, LOG_INFO, FormatWide(L"Deleting the contents of extraction folder : %s", extractPath));
            CUtil::DeleteTree(extractPath);
        }
    }
    notifier.Notify(WM_EXTRACT_PROGRESS, PROGRESS_SET_RANGE, theInitializer.GetFileCount());

    std::wstring name = FormatWide(L"WebCab%d", 1);
    std::wstring folder = theInitializer.GetTempFolder();
    PostLog(notifier, LOG_INFO, L"Checking for parts");
    if (theInitializer.IsMultiPart()) {
        TextList status;
        std::wstring missingPart;
        int result = theValidator.ValidateParts(missingPart, status);
        for (auto line = status.rbegin(); line != status.rend(); ++line) {
            if (line->empty()) continue;
            bool progress = line->find(L"Validating cabinet") != std::wstring::npos ||
                            line->find(L"Hash code for") != std::wstring::npos;
            PostLog(notifier, progress ? LOG_INFO : LOG_ERROR, *line);
        }
        if (result != 0) {
            theInitializer.SetPackageResultCode(result);
            theInitializer.SetLastCabinetName(missingPart);
            ErrorMessage(result, missingPart);
            PostFailure(notifier);
            return;
        }
        name = theValidator.GetFirstPartName();
        folder = CUtil::GetProgramFolder();
        CUtil::AddTrailingBackslash(folder);
    }

    std::wstring cabinet = folder + name;
    if (!CUtil::FileExists(cabinet)) {
        theInitializer.SetPackageResultCode(RESULT_MISSING_PART);
        theInitializer.SetLastCabinetName(cabinet);
        // A single-file package whose program file holds no payload entry has no part files
        // either: say what is missing instead of naming a part file.
        std::wstring message = ErrorMessage(1, cabinet);
        if (!theInitializer.IsMultiPart())
            message = FormatWide(L"The package carries no attached payload : %s not found", cabinet);
        PostLog(notifier, LOG_ERROR, message);
        notifier.Notify(WM_EXTRACT_DONE, 0, 0);
        return;
    }
    PostLog(notifier, LOG_INFO, FormatWide(L"Extracting files from cabinet :%s", cabinet));
    CCabDecompressor engine(worker.GetWindow(), theInitializer.GetRunMode());
    engine.ExtractCabinet(cabinet, extractPath);
    std::wstring text = engine.GetErrorText();
    int code = engine.GetErrorCode();
    PostLog(notifier, LOG_INFO, FormatWide(L"Return Code for cab extraction : %d", code));
    theInitializer.SetPackageResultCode(code);
    theInitializer.SetLastCabinetName(engine.GetNextCabinetName());
    if (code == 0) {
        PostLog(notifier, LOG_INFO, text);
        notifier.Notify(WM_EXTRACT_DONE, 0, 0);
        return;
    }
    std::wstring message;
    if (code == 1) {
        message = ErrorMessage(1, folder + engine.GetNextCabinetName());
    } else if (engine.GetLastSystemError() != 0) {
        theInitializer.SetPackageResultCode(RESULT_FAILED);
        message = ErrorMessage(static_cast<int>(engine.GetLastSystemError()), GetCurrentFilePath());
    } else if (code == 8 || code == 39) {
        message = ErrorMessage(code, L"");
    } else {
        message = text;
    }
    PostLog(notifier, LOG_ERROR, message);
    PostFailure(notifier);
}

DWORD WINAPI ExtractionThreadProc(LPVOID holder) {
    auto* worker = static_cast<WorkerThread*>(holder);
    ExtractPackage(*worker);
    worker->SetWindow(nullptr);
    worker->Stop();
    return 0;
}
