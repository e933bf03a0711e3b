#pragma once
// Cabinets for the Windows-side extraction tests, written with the packager's own writer.

#include "../common/TestData.h"
#include <string>
#include <vector>

#include "TestSupport.h"
#include "cab/CabFormat.h"
#include "cab/CabSource.h"
#include "cab/CabWriter.h"
#include "io/File.h"
#include "text/Utf.h"

struct CabTestFile {
    std::string name;  // relative path below the payload folder, backslashes
    std::string bytes;
    DWORD attributes = 0;
};

inline std::string Utf8Of(const std::wstring& text) {
    return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

inline std::wstring WideOf(const std::string& text) {
    std::u16string wide;
    std::string error;
    Utf8ToUtf16(text, wide, error);
    return std::wstring(wide.begin(), wide.end());
}

// Writes the files into folder\payload and packs them: one cabinet at folder\name.cab, or with a
// part size the part files folder\name.001, .002, ... Returns the cabinet paths.
inline std::vector<std::wstring> WriteTestCabinets(const std::wstring& folder, const std::wstring& name,
                                                   const std::vector<CabTestFile>& files, uint64_t partSize = 0,
                                                   uint16_t setId = 4242) {
    std::wstring payload = folder + L"\\payload_" + name;
    CreateDirectoryW(payload.c_str(), nullptr);
    for (const auto& file : files) {
        std::wstring path = payload + L"\\" + WideOf(file.name);
        CUtil::CreateFolderOfFile(path);
        WriteBytes(path, file.bytes);
        if (file.attributes) SetFileAttributesW(path.c_str(), file.attributes);
    }
    std::vector<CabSourceFile> sources;
    std::string error;
    if (!CollectPayloadFolder(Utf8Of(payload), sources, error)) ADD_FAILURE() << error;
    for (const auto& file : files) SetFileAttributesW((payload + L"\\" + WideOf(file.name)).c_str(), FILE_ATTRIBUTE_NORMAL);
    CabWriteOptions options;
    options.setId = setId;
    options.partSize = partSize;
    CabWriteResult result;
    std::string base = Utf8Of(folder + L"\\" + name);
    bool ok = partSize ? WriteCabinetSet(sources, base, options, result, error)
                       : WriteCabinet(sources, base + ".cab", options, result, error);
    if (!ok) ADD_FAILURE() << error;
    std::vector<std::wstring> paths;
    for (const auto& cabinet : result.cabinets) paths.push_back(WideOf(cabinet.path));
    return paths;
}

// Bytes that do not compress, so small part sizes split them across parts.
inline std::string Incompressible(size_t size, uint32_t seed = 1) {
    return testdata::Incompressible(size, seed);
}

// The file record fields of the cabinet at path, as offsets into the file: the attributes word
// of the record whose name is storedName.
inline size_t AttributesOffset(const std::string& cabinet, const std::string& storedName) {
    size_t name = cabinet.find(storedName + std::string(1, '\0'));
    return name == std::string::npos ? std::string::npos : name - 2;
}
