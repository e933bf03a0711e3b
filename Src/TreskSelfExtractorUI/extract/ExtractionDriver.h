#pragma once
// The extraction worker: prepares the extraction folder, obtains the first cabinet (attached to
// the program, or the validated part files beside it), runs the cabinet engine and reports the
// outcome to its window.

#include <windows.h>

#include <string>
#include <vector>

class WorkerThread;

void ExtractPackage(WorkerThread& worker);

// The English message for a result or system error code; in Full GUI mode the translated
// message is also shown.
std::wstring ErrorMessage(int code, const std::wstring& fileName);

// Whether emptying folder would destroy more than an old extraction: a drive root, or a folder
// that is or contains one of the protected folders (the system folder, the user profile and
// temporary folder, the program's own folder with its part files, the package temporary folder).
bool IsProtectedFromEmptying(const std::wstring& folder, const std::vector<std::wstring>& protectedFolders);

// Thread procedure of the extraction worker: runs ExtractPackage on the holder, then detaches
// the holder from its window and stops it.
DWORD WINAPI ExtractionThreadProc(LPVOID holder);
