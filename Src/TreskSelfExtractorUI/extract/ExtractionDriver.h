#pragma once
// The extraction worker: prepares the extraction folder, obtains the first cabinet (attached to
// the program, or the validated part files beside it), runs the cabinet engine and reports the
// outcome to its window.

#include <windows.h>

#include <string>

class WorkerThread;

void ExtractPackage(WorkerThread& worker);

// The English message for a result or system error code; in Full GUI mode the translated
// message is also shown.
std::wstring ErrorMessage(int code, const std::wstring& fileName);

// Thread procedure of the extraction worker: runs ExtractPackage on the holder, then detaches
// the holder from its window and stops it.
DWORD WINAPI ExtractionThreadProc(LPVOID holder);
