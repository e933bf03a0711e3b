#include "TestPackage.h"

#include <windows.h>

#include <stdexcept>

#include "ProgramRunner.h"
#include "cab/CabSource.h"
#include "cab/CabWriter.h"
#include "container/Container.h"
#include "container/VersionStamp.h"
#include "io/File.h"
#include "package/Builder.h"
#include "settings/IniDocument.h"
#include "text/Utf.h"

std::string ToUtf8(const std::wstring& text) {
    return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

std::wstring FromUtf8(const std::string& text) {
    std::u16string wide;
    std::string error;
    Utf8ToUtf16(text, wide, error);
    return std::wstring(wide.begin(), wide.end());
}

std::string Utf16File(const std::string& utf8Text) {
    return EncodeUtf16LeWithBom(utf8Text);
}

std::string MakeCabinet(const std::wstring& scratch, const std::vector<TestFile>& files) {
    std::string folder = ToUtf8(scratch) + "\\payload_source";
    std::string error;
    CreateDirectoryW(FromUtf8(folder).c_str(), nullptr);
    for (const auto& file : files) {
        std::string path = folder + "\\" + file.name;
        FILE* out = OpenFile(path, "wb");
        if (!out) throw std::runtime_error("cannot write " + path);
        WriteAll(out, file.bytes.data(), file.bytes.size());
        fclose(out);
    }
    std::vector<CabSourceFile> sources;
    if (!CollectPayloadFolder(folder, sources, error)) throw std::runtime_error(error);
    CabWriteOptions options;
    options.setId = 0;
    CabWriteResult result;
    std::string cabinet = ToUtf8(scratch) + "\\payload.cab";
    if (!WriteCabinet(sources, cabinet, options, result, error)) throw std::runtime_error(error);
    std::string bytes;
    if (!ReadWholeFile(cabinet, bytes, error)) throw std::runtime_error(error);
    return bytes;
}

std::string MakeCabinetStoredAs(const std::wstring& scratch, const std::vector<TestFile>& entries) {
    std::string folder = ToUtf8(scratch) + "\\stored_source";
    std::string error;
    CreateDirectoryW(FromUtf8(folder).c_str(), nullptr);
    std::vector<TestFile> numbered;
    for (size_t i = 0; i < entries.size(); ++i) numbered.push_back({"entry" + std::to_string(100 + i), entries[i].bytes});
    std::vector<CabSourceFile> sources;
    for (const auto& file : numbered) {
        FILE* out = OpenFile(folder + "\\" + file.name, "wb");
        if (!out) throw std::runtime_error("cannot write " + file.name);
        WriteAll(out, file.bytes.data(), file.bytes.size());
        fclose(out);
    }
    if (!CollectPayloadFolder(folder, sources, error)) throw std::runtime_error(error);
    // The collected files come sorted by name, which is the numbered order.
    for (size_t i = 0; i < sources.size() && i < entries.size(); ++i) sources[i].storedName = "\\" + entries[i].name;
    CabWriteOptions options;
    options.setId = 0;
    CabWriteResult result;
    std::string cabinet = ToUtf8(scratch) + "\\stored.cab";
    if (!WriteCabinet(sources, cabinet, options, result, error)) throw std::runtime_error(error);
    std::string bytes;
    if (!ReadWholeFile(cabinet, bytes, error)) throw std::runtime_error(error);
    return bytes;
}

std::wstring MakePackage(const std::wstring& folder, const std::wstring& exeName, const std::string& settings,
                         const std::vector<TestFile>& supportFiles, const std::string* payload) {
    return MakePackageWithSettingsBytes(folder, exeName, Utf16File(settings), supportFiles, payload);
}

std::wstring MakePackageWithSettingsBytes(const std::wstring& folder, const std::wstring& exeName,
                                          const std::string& settingsBytes, const std::vector<TestFile>& supportFiles,
                                          const std::string* payload) {
    // Without a payload of its own a package carries one small file, so a run gets through.
    std::string defaultPayload;
    if (!payload) {
        defaultPayload = MakeCabinet(folder, {{"readme.txt", "example payload\r\n"}});
        payload = &defaultPayload;
    }
    std::string error, program;
    if (!ReadWholeFile(ToUtf8(ProgramPath()), program, error)) throw std::runtime_error(error);
    VersionStampLocation stamp;
    if (!FindVersionStamp(program, stamp, error)) throw std::runtime_error(error);
    WriteStamp(program, stamp, static_cast<uint32_t>(program.size()));

    std::wstring path = folder + L"\\" + exeName;
    FILE* out = OpenFile(ToUtf8(path), "wb");
    if (!out) throw std::runtime_error("cannot create the package");
    bool ok = WriteAll(out, program.data(), program.size()) &&
              AppendEntryFromBytes(out, SETTINGS_ENTRY_NAME, ENTRY_SUPPORT_FILE, settingsBytes, error);
    for (const auto& file : supportFiles)
        ok = ok && AppendEntryFromBytes(out, file.name, ENTRY_SUPPORT_FILE, file.bytes, error);
    if (payload) ok = ok && AppendEntryFromBytes(out, PAYLOAD_ENTRY_NAME, ENTRY_PAYLOAD, *payload, error);
    fclose(out);
    if (!ok) throw std::runtime_error(error);
    return path;
}

std::wstring BuildTestPackage(const std::wstring& folder, const std::wstring& exeName, const std::string& settings,
                              const std::vector<TestPayloadFile>& payload, uint64_t partSize) {
    std::wstring payloadFolder = folder + L"\\payload_" + exeName;
    CreateDirectoryW(payloadFolder.c_str(), nullptr);
    for (const auto& file : payload) {
        std::wstring path = payloadFolder + L"\\" + FromUtf8(file.name);
        for (size_t slash = path.find(L'\\', payloadFolder.size() + 1); slash != std::wstring::npos;
             slash = path.find(L'\\', slash + 1))
            CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        FILE* out = OpenFile(ToUtf8(path), "wb");
        if (!out) throw std::runtime_error("cannot write the payload");
        WriteAll(out, file.bytes.data(), file.bytes.size());
        fclose(out);
        if (file.attributes) SetFileAttributesW(path.c_str(), file.attributes);
    }
    std::wstring settingsPath = folder + L"\\settings_" + exeName + L".ini";
    FILE* out = OpenFile(ToUtf8(settingsPath), "wb");
    WriteAll(out, settings.data(), settings.size());
    fclose(out);

    BuildOptions options;
    options.programPath = ToUtf8(ProgramPath());
    options.settingsPath = ToUtf8(settingsPath);
    options.payloadFolder = ToUtf8(payloadFolder);
    options.outputPath = ToUtf8(folder + L"\\" + exeName);
    options.partSize = partSize;
    options.ignoreLintErrors = true;
    BuildResult result;
    std::string error;
    if (!BuildPackage(options, result, error)) throw std::runtime_error(error);
    return folder + L"\\" + exeName;
}

void RewritePackageSettings(const std::wstring& package, const std::function<std::string(const std::string&)>& change) {
    std::string error, bytes;
    if (!ReadWholeFile(ToUtf8(package), bytes, error)) throw std::runtime_error(error);
    VersionStampLocation stamp;
    if (!FindVersionStamp(bytes, stamp, error)) throw std::runtime_error(error);
    std::vector<ContainerEntry> entries;
    if (!ReadContainer(ToUtf8(package), stamp.subtype, entries, error)) throw std::runtime_error(error);
    std::string rebuilt = bytes.substr(0, stamp.subtype);
    FILE* out = OpenFile(ToUtf8(package) + ".new", "wb");
    WriteAll(out, rebuilt.data(), rebuilt.size());
    for (const auto& entry : entries) {
        std::string data = bytes.substr(entry.dataOffset, entry.size);
        if (entry.name == SETTINGS_ENTRY_NAME) {
            std::string text;
            DecodeTextFile(data, text, error);
            data = EncodeUtf16LeWithBom(change(text));
        }
        AppendEntryFromBytes(out, entry.name, entry.kind, data, error);
    }
    fclose(out);
    MoveFileExW(FromUtf8(ToUtf8(package) + ".new").c_str(), package.c_str(), MOVEFILE_REPLACE_EXISTING);
}
