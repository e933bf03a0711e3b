#include "sign/PeSignature.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "io/File.h"

namespace {

// The headers of a program file lie in its first pages; this covers them with room to spare.
constexpr size_t kHeaderBytes = 64 << 10;
// A signature with its certificates and timestamps stays far below this; a larger table is not
// read into memory.
constexpr uint32_t kMaximumTable = 16 << 20;
constexpr uint16_t kCertificateRevision2 = 0x0200;
constexpr uint16_t kCertificatePkcsSignedData = 0x0002;

// Feeds [from, to) of the input to the digest.
bool DigestRange(InputFile& in, uint64_t from, uint64_t to, Digest& digest, std::string& error) {
    if (to <= from) return true;
    if (!in.Seek(from, error)) return false;
    std::vector<char> buffer(1 << 20);
    for (uint64_t left = to - from; left > 0;) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), left));
        if (in.Read(buffer.data(), want) != want) {
            error = "cannot read " + in.Path();
            return false;
        }
        digest.Update(buffer.data(), want);
        left -= want;
    }
    return true;
}

// The end of the bytes the digest covers: the certificate table's start, or the file's end.
uint64_t SignedEnd(const PeSignatureFile& file) {
    return file.table.size != 0 ? std::min<uint64_t>(file.table.offset, file.fileSize) : file.fileSize;
}

}  // namespace

bool ReadPeSignatureFile(const std::string& path, PeSignatureFile& file, std::string& error) {
    file = PeSignatureFile();
    InputFile in;
    if (!in.Open(path, error)) return false;
    file.fileSize = in.Size();
    std::string headers(static_cast<size_t>(std::min<uint64_t>(in.Size(), kHeaderBytes)), '\0');
    if (!headers.empty() && !in.ReadAt(0, &headers[0], headers.size(), error)) return false;
    if (!ParsePe(headers, file.layout, error)) return false;
    if (!FindCertificateTable(headers, file.layout, file.table)) file.table = CertificateTable();
    return true;
}

bool ReadSignatureBlob(const std::string& path, const PeSignatureFile& file, std::string& blob, std::string& error) {
    const CertificateTable& table = file.table;
    if (table.size == 0) {
        error = "the file carries no signature";
        return false;
    }
    if (uint64_t(table.offset) + table.size > file.fileSize || table.offset < file.layout.headersEnd) {
        error = "the certificate table lies outside the file";
        return false;
    }
    if (table.size > kMaximumTable || table.size < 8) {
        error = "the certificate table has an impossible size of " + std::to_string(table.size) + " bytes";
        return false;
    }
    InputFile in;
    std::string bytes(table.size, '\0');
    if (!in.Open(path, error) || !in.ReadAt(table.offset, &bytes[0], bytes.size(), error)) return false;
    // Entries of a length, a revision, a type and the certificate, each aligned to 8 bytes.
    for (size_t at = 0; at + 8 <= bytes.size();) {
        uint32_t length = 0;
        uint16_t revision = 0, type = 0;
        ReadLe32(bytes, at, length);
        ReadLe16(bytes, at + 4, revision);
        ReadLe16(bytes, at + 6, type);
        if (length < 8 || length > bytes.size() - at) break;
        if (revision == kCertificateRevision2 && type == kCertificatePkcsSignedData) {
            blob = bytes.substr(at + 8, length - 8);
            return true;
        }
        at += (size_t(length) + 7) & ~size_t(7);
    }
    error = "the certificate table holds no Authenticode signature";
    return false;
}

bool AuthenticodeDigest(const std::string& path, const PeSignatureFile& file, DigestKind kind, std::string& digest,
                        std::string& error) {
    InputFile in;
    if (!in.Open(path, error)) return false;
    const uint64_t checksum = file.layout.checksum;
    const uint64_t entry = file.table.directoryEntry ? file.table.directoryEntry : file.layout.directories + 4 * 8;
    const uint64_t end = SignedEnd(file);
    if (!(checksum + 4 <= entry && entry + 8 <= end)) {
        error = "the program file's headers are cut off";
        return false;
    }
    Digest hash(kind);
    if (!DigestRange(in, 0, checksum, hash, error) || !DigestRange(in, checksum + 4, entry, hash, error) ||
        !DigestRange(in, entry + 8, end, hash, error))
        return false;
    digest = hash.Final();
    return true;
}

bool WriteUnsignedCopy(const std::string& path, const PeSignatureFile& file, uint64_t keepUpTo,
                       const std::string& target, std::string& error) {
    uint64_t end = SignedEnd(file);
    InputFile in;
    if (!in.Open(path, error)) return false;
    if (keepUpTo != 0 && keepUpTo < end && end - keepUpTo < 8) {
        std::string padding(static_cast<size_t>(end - keepUpTo), '\0');
        if (!in.ReadAt(keepUpTo, &padding[0], padding.size(), error)) return false;
        if (padding.find_first_not_of('\0') == std::string::npos) end = keepUpTo;
    }
    std::string headers(static_cast<size_t>(std::min<uint64_t>(end, file.layout.headersEnd)), '\0');
    if (!in.ReadAt(0, &headers[0], headers.size(), error)) return false;
    std::vector<size_t> cleared = {file.layout.checksum};
    if (file.table.directoryEntry != 0) cleared = {file.layout.checksum, file.table.directoryEntry, file.table.directoryEntry + 4};
    for (size_t field : cleared)
        if (field + 4 <= headers.size()) headers.replace(field, 4, 4, '\0');
    std::unique_ptr<FILE, int (*)(FILE*)> out(OpenFile(target, "wb"), std::fclose);
    if (!out) {
        error = "cannot create " + target;
        return false;
    }
    if (!WriteAll(out.get(), headers.data(), headers.size()) || !CopyStream(in, out.get(), end - headers.size(), error) ||
        std::fflush(out.get()) != 0) {
        if (error.empty()) error = "cannot write " + target;
        return false;
    }
    return true;
}
