#include "log/BuildLogFile.h"

#include <windows.h>

const wchar_t* const LOG_END_BANNER =
    L"############################## --------- End --------- ##############################";

CBuildLogFile theLog;

void CBuildLogFile::WriteHeader() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    runStamp = FormatWide(L"%04u%02u%02u%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                          now.wSecond);
    WriteRaw(L"############################## --------- START%s --------- ##############################\n", runStamp);
}

void CBuildLogFile::Finish() {
    WriteSummary();
}

unsigned CBuildLogFile::GetErrorCount() const {
    return GetLevelCount(LOG_ERROR);
}

unsigned CBuildLogFile::GetWarningCount() const {
    unsigned warnings = 0;
    for (int level = 1; level <= 6; ++level) warnings += GetLevelCount(level);
    return warnings;
}

void CBuildLogFile::WriteSummary() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::wstring time = FormatWide(L"%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    unsigned errors = GetErrorCount();
    unsigned warnings = GetWarningCount();
    const wchar_t* status = (!CountersReady() || errors != 0) ? L"Fail" : L"Success";

    WriteRaw(L"\n");
    WriteRaw(L"\n######## --------- %-39.45s##############################\n", L"START SUMMARY " + runStamp);
    WriteRaw(L"%s|RETURN    |%-37.45s |%s\n", time, L"STATUS", status);
    WriteRaw(L"%s|RETURN    |%-37.45s |%d\n", time, L"ERRORS", errors);
    WriteRaw(L"%s|RETURN    |%-37.45s |%d  \n", time, L"WARNINGS", warnings);
    WriteRaw(L"%d Errors found and %d Warnings found\n", errors, warnings);
    WriteRaw(L"\n######## --------- %-39.45s##############################\n", L"END SUMMARY " + runStamp);
}
