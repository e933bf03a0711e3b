#include "cleanup/DeleteOnExit.h"

#include <windows.h>

#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "util/Util.h"

void DeleteExtractedContents() {
    const wchar_t* function = L"DeleteExtractedContents";
    auto& files = theInitializer.writtenFiles;
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        theLog.Log(LOG_INFO, function, L"Deleting file : %s\n", *file);
        CUtil::ClearReadOnly(*file);
        if (!DeleteFileW(file->c_str())) theLog.Log(LOG_INFO, function, L"Could not delete file : %s", *file);
        Sleep(10);
    }
    for (const auto& folder : theInitializer.createdFolders) {
        if (folder.empty()) continue;
        theLog.Log(LOG_INFO, function, L"Deleting folder : %s", folder);
        if (CUtil::DeleteTree(folder) == 0) theLog.Log(LOG_INFO, function, L"Could not delete folder : %s", folder);
        Sleep(10);
    }
    const std::wstring& tested = theUtil.GetTestCreatedFolder();
    if (!tested.empty()) {
        theLog.Log(LOG_INFO, function, L"Deleting folder : %s", tested);
        if (CUtil::DeleteTree(tested) == 0) theLog.Log(LOG_INFO, function, L"Could not delete folder : %s", tested);
    }
    files.clear();
    theInitializer.createdFolders.clear();
}
