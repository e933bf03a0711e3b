// Fuzzes reading a package the way the program finds its files in it: the fixed version
// information in the program's resources, whose file-subtype field gives the container's offset,
// then the container's entries (marker, UTF-16 name, size, kind, bytes) and their contents.
//
// Input: a package file (program and container) or a bare container, read from offset 0 when the
// input is no program with a stamp. The container reader works on a file, so the input goes to
// this process's scratch file first.

#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "container/Container.h"
#include "container/VersionStamp.h"
#include "settings/IniDocument.h"
#include "text/Utf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size), error;
    uint64_t offset = 0;
    VersionStampLocation stamp;
    if (FindVersionStamp(bytes, stamp, error)) {
        offset = stamp.subtype;
        HasSignatureBlock(bytes);
        // Stamping a copy as the packager does, and reading the stamp back.
        std::string stamped = bytes;
        WriteStamp(stamped, stamp, static_cast<uint32_t>(size));
        FindVersionStamp(stamped, stamp, error);
    }

    const fuzz::Scratch& scratch = fuzz::Scratch::Get();
    std::string path = scratch.Write("package.exe", data, size);
    std::vector<ContainerEntry> entries;
    if (!ReadContainer(path, offset, entries, error)) return 0;
    for (const auto& entry : entries) {
        CheckEntryName(entry.name, error);
        std::string content, text;
        if (!ReadEntryBytes(path, entry, content, error)) continue;
        if (entry.kind == ENTRY_SUPPORT_FILE && EqualsNoCase(entry.name, SETTINGS_ENTRY_NAME) &&
            DecodeTextFile(content, text, error))
            IniDocument::Parse(text);
        if (entry.kind == ENTRY_PAYLOAD) {
            CopyEntryToFile(path, entry, scratch.Path("payload.cab"), error);
            scratch.Remove("payload.cab");
        }
    }
    return 0;
}
