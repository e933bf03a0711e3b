#pragma once
// The block at the top of the extraction log that describes the machine: date, memory,
// processors, computer name, fixed drives, operating system and languages.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "util/Util.h"

void WriteSystemInformation();

// Decisions on plain values, so the exact texts can be checked with tables.
std::wstring RamSizeText(uint32_t totalPhysicalBytes);
std::wstring DriveSpaceText(uint64_t totalBytes, uint64_t freeBytes);
std::wstring GetUILanguageName(int language);
std::wstring DateText(int weekday, int month, int day, int year);
// Labels and names of the processor lines, from the names in scan order.
std::vector<std::pair<std::wstring, std::wstring>> ProcessorLines(const std::vector<std::wstring>& scanned);
std::wstring DriveLabel(const std::wstring& root, const std::wstring& fileSystem);

// Platform queries.
std::wstring GetRamSize();
void GetProcessorNames(std::vector<std::wstring>& names);
int GetFixedDrives(TextList& roots);
std::wstring GetDriveSpaceText(const std::wstring& root);
std::wstring GetFileSystemName(const std::wstring& root);
