#include "settings/PackageSettings.h"

#include <cstdio>

std::string PartKey(int number) {
    char key[16];
    std::snprintf(key, sizeof(key), "%03d", number);
    return key;
}

std::string PartTimestamp(std::time_t when) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    char text[64];
    std::snprintf(text, sizeof(text), "Y%d:M%d:D%d:H%d:M%d:S%d:MS0", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

void FillPackageKeys(IniDocument& settings, const PackageFacts& facts) {
    settings.Set("Size", "PackageSize", std::to_string(facts.packageSize));
    settings.Set("Size", "CabSize", std::to_string(facts.multiPart ? 0 : facts.cabSize));
    settings.Set("FileCount", "Count", std::to_string(facts.fileCount));
    settings.Set("Package", "MultiPartDownload", facts.multiPart ? "1" : "0");
    if (facts.multiPart)
        settings.Set("Package", "MultipartFileName", facts.partBaseName);
    else
        settings.Remove("Package", "MultipartFileName");
    settings.Set("Qirva", "GUID2", std::to_string(facts.setId));

    ClearPartEntries(settings);
    for (size_t i = 0; i < facts.parts.size(); ++i) {
        std::string key = PartKey(static_cast<int>(i + 1));
        settings.Set("PartFileIno", key, facts.parts[i].timestamp);
        settings.Set("HashCode", key, facts.parts[i].hash);
        settings.Set("HashCode256", key, facts.parts[i].sha256);
    }
}

void ClearPartEntries(IniDocument& settings) {
    for (const char* section : {"PartFileIno", "HashCode", "HashCode256"})
        for (const auto& entry : settings.Entries(section)) settings.Remove(section, entry.first);
}

bool RotatePassword(const std::string& plain, int number, std::string& stored, std::string& error) {
    if (number < 0 || number > 94) {
        error = "the password rotation must lie between 0 and 94";
        return false;
    }
    stored.clear();
    for (char c : plain) {
        int code = static_cast<unsigned char>(c);
        if (code < 32 || code > 126) {
            error = "the extraction password may hold printable ASCII characters only (codes 32 to 126)";
            return false;
        }
        int rotated = code + number;
        if (rotated > 126) rotated -= 95;
        stored += static_cast<char>(rotated);
    }
    return true;
}

std::string UnrotatePassword(const std::string& stored, int number) {
    std::string plain;
    for (char c : stored) {
        int code = static_cast<unsigned char>(c) - number;
        if (static_cast<unsigned char>(c) - 32 < number) code += 95;
        plain += static_cast<char>(code);
    }
    return plain;
}

bool ApplyPassword(IniDocument& settings, const std::string& plain, int number, std::string& error) {
    if (plain.empty()) {
        error = "the extraction password is empty";
        return false;
    }
    if (plain.size() > 50) {
        // The program's password prompt takes at most 50 characters: a longer password could
        // never be typed in the wizard.
        error = "the extraction password is longer than 50 characters, the most the program's prompt takes";
        return false;
    }
    if (plain.front() == ' ' || plain.back() == ' ') {
        // The program strips blanks from both ends of the stored value.
        error = "the extraction password must not begin or end with a blank";
        return false;
    }
    std::string stored;
    if (!RotatePassword(plain, number, stored, error)) return false;
    if (stored.front() == ' ' || stored.back() == ' ') {
        error = "this rotation would store the password with a blank at one end; choose another";
        return false;
    }
    // At the start of [Runtime]: the program reads that section whole through a buffer of
    // 2000 characters, so keys at the end of a long section would be cut off.
    settings.SetFirst("Runtime", "ExtractionPassword", stored);
    settings.SetFirst("Runtime", "ExtractPasswordRequired", "1");
    settings.Set("Temporary", "Number", std::to_string(number));
    return true;
}

int ChoosePasswordRotation(const std::string& plain, unsigned start) {
    for (int i = 0; i < 94; ++i) {
        int number = 1 + static_cast<int>((start + i) % 94);
        std::string stored, error;
        if (RotatePassword(plain, number, stored, error) && !stored.empty() && stored.front() != ' ' &&
            stored.back() != ' ')
            return number;
    }
    return 0;
}
