#include "extract/OutputWriter.h"

#include <algorithm>
#include <cstring>

#include "app/WorkerThread.h"

namespace {

// 64 buffers of 256 KiB: a buffer that stays in the processor's cache between the library's thread
// filling it and the writer writing it costs several times less per byte than one of megabytes,
// and together (16 MiB) they carry the writer through a run of small files (whose creation costs
// far more than their inflating) while the library's thread goes on.
constexpr uint32_t kChunkBytes = 256 * 1024;
constexpr size_t kChunkCount = 64;
// A chunk also goes to the writer once it holds this many steps (a run of small or empty files).
constexpr size_t kMaxOpsPerChunk = 256;
// Files handed over and not yet carried out at most: twice what the creating thread makes ahead,
// so neither it nor the writer runs dry, while a run of small files keeps only these waiting
// (their paths and steps, and the chunks that hold them).
constexpr size_t kMaxFilesWaiting = 256;
// Files and folders the creating thread makes ahead of the writer at most: enough to carry the
// writer through a run of small files, few enough to keep open handles and the clean-up after a
// stop small.
constexpr size_t kMaxCreatedAhead = 128;

constexpr USHORT kTimeIsUtc = 0x100;
constexpr USHORT kKeptAttributes = 0x27;  // read-only, hidden, system, archive

// A new output file (it must not exist), or INVALID_HANDLE_VALUE.
HANDLE CreateOutputFile(const std::wstring& path) {
    // No read-ahead hint: the file is only written.
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Tells a thread to quit (its flag set under its lock, then woken) and waits for it to end.
void EndThread(KernelHandle& thread, SRWLOCK& lock, bool& quit, CONDITION_VARIABLE& wake) {
    AcquireSRWLockExclusive(&lock);
    quit = true;
    ReleaseSRWLockExclusive(&lock);
    WakeConditionVariable(&wake);
    WaitForSingleObject(thread.Get(), INFINITE);
    thread.Reset();
}

}  // namespace

COutputWriter::COutputWriter(CWindowNotices& notices) : notices(notices), chunks(kChunkCount) {
    for (Chunk& chunk : chunks) {
        chunk.data.reset(new char[kChunkBytes]);
        spare.push_back(&chunk);
    }
}

COutputWriter::~COutputWriter() {
    Finish();
}

void COutputWriter::Start() {
    if (thread) return;
    thread.Reset(CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    // Without a thread of its own the writer creates each file when it comes to it.
    if (thread) creator.Reset(CreateThread(nullptr, 0, CreatorProc, this, 0, nullptr));
}

DWORD WINAPI COutputWriter::ThreadProc(LPVOID self) {
    static_cast<COutputWriter*>(self)->Run();
    return 0;
}

DWORD WINAPI COutputWriter::CreatorProc(LPVOID self) {
    static_cast<COutputWriter*>(self)->RunCreator();
    return 0;
}

void COutputWriter::RunCreator() {
    AcquireSRWLockExclusive(&creationLock);
    while (true) {
        while (!creatorQuit && (halted || created >= creations.size() || created >= kMaxCreatedAhead))
            SleepConditionVariableSRW(&creationWork, &creationLock, INFINITE, 0);
        if (creatorQuit) break;
        Creation& next = creations[created];
        creating = true;
        ReleaseSRWLockExclusive(&creationLock);

        if (next.folder) {
            next.created = CreateDirectoryW(next.path.c_str(), nullptr) != FALSE;
        } else {
            KernelHandle file(CreateOutputFile(next.path));
            if (!file) {
                next.error = GetLastError();
            } else {
                next.file = std::move(file);
                next.created = true;
            }
        }

        AcquireSRWLockExclusive(&creationLock);
        creating = false;
        ++created;
        // The writer stops at a file that could not be created: nothing after it is made.
        if (!next.folder && !next.created) halted = true;
        WakeAllConditionVariable(&creationDone);
    }
    ReleaseSRWLockExclusive(&creationLock);
}

bool COutputWriter::RequestCreation(bool folder, const std::wstring& path) {
    if (!creator) return false;
    AcquireSRWLockExclusive(&creationLock);
    bool accepted = !halted;
    if (accepted) {
        Creation creation;
        creation.folder = folder;
        creation.path = path;
        creations.push_back(std::move(creation));
    }
    ReleaseSRWLockExclusive(&creationLock);
    if (accepted) WakeConditionVariable(&creationWork);
    return accepted;
}

bool COutputWriter::TakeCreation(Creation& creation) {
    AcquireSRWLockExclusive(&creationLock);
    // Creations are made in order: the oldest is done once any is.
    while (!creations.empty() && created == 0 && !halted)
        SleepConditionVariableSRW(&creationDone, &creationLock, INFINITE, 0);
    bool taken = created > 0;
    if (taken) {
        creation = std::move(creations.front());
        creations.pop_front();
        --created;
    }
    ReleaseSRWLockExclusive(&creationLock);
    if (taken) WakeConditionVariable(&creationWork);
    return taken;
}

void COutputWriter::UndoCreations() {
    if (!creator) return;
    AcquireSRWLockExclusive(&creationLock);
    halted = true;
    while (creating) SleepConditionVariableSRW(&creationDone, &creationLock, INFINITE, 0);
    std::deque<Creation> ahead;
    ahead.swap(creations);
    created = 0;
    ReleaseSRWLockExclusive(&creationLock);
    // Only what the creating thread made itself, and only once its files are closed, is removed;
    // a folder goes only when it is empty again.
    for (auto it = ahead.rbegin(); it != ahead.rend(); ++it) {
        if (!it->created) continue;
        if (it->folder) {
            RemoveDirectoryW(it->path.c_str());
        } else {
            it->file.Reset();
            DeleteFileW(it->path.c_str());
        }
    }
}

void COutputWriter::StopCreator() {
    if (!creator) return;
    UndoCreations();
    EndThread(creator, creationLock, creatorQuit, creationWork);
}

void COutputWriter::Run() {
    while (true) {
        AcquireSRWLockExclusive(&lock);
        while (waiting.empty() && !quit) {
            idle.store(true, std::memory_order_relaxed);
            SleepConditionVariableSRW(&workReady, &lock, INFINITE, 0);
        }
        idle.store(false, std::memory_order_relaxed);
        if (waiting.empty()) {
            ReleaseSRWLockExclusive(&lock);
            break;
        }
        Chunk* chunk = waiting.front();
        waiting.pop_front();
        busy = true;
        ReleaseSRWLockExclusive(&lock);

        Carry(*chunk);

        AcquireSRWLockExclusive(&lock);
        spare.push_back(chunk);
        filesWaiting -= chunk->files;
        chunk->files = 0;
        bool more = !waiting.empty();
        ReleaseSRWLockExclusive(&lock);
        WakeAllConditionVariable(&chunkDone);
        // Out of work: what was gathered for the window goes out before the writer waits (still
        // busy, so a caller that drains finds it sent).
        if (!more) notices.Flush();
        AcquireSRWLockExclusive(&lock);
        busy = false;
        ReleaseSRWLockExclusive(&lock);
        WakeAllConditionVariable(&chunkDone);
    }
}

COutputWriter::Op& COutputWriter::Append(OpKind kind) {
    if (filling && filling->ops.size() >= kMaxOpsPerChunk) Submit();
    if (!filling) {
        AcquireSRWLockExclusive(&lock);
        while (spare.empty()) SleepConditionVariableSRW(&chunkDone, &lock, INFINITE, 0);
        filling = spare.back();
        spare.pop_back();
        ReleaseSRWLockExclusive(&lock);
    }
    filling->ops.emplace_back();
    filling->ops.back().kind = kind;
    return filling->ops.back();
}

void COutputWriter::Submit() {
    Chunk* chunk = filling;
    if (!chunk) return;
    filling = nullptr;
    if (!thread) {
        Carry(*chunk);
        filesWaiting -= chunk->files;
        chunk->files = 0;
        spare.push_back(chunk);
        notices.Flush();
        return;
    }
    AcquireSRWLockExclusive(&lock);
    waiting.push_back(chunk);
    ReleaseSRWLockExclusive(&lock);
    WakeConditionVariable(&workReady);
}

void COutputWriter::CountFile() {
    AcquireSRWLockExclusive(&lock);
    if (thread && filesWaiting >= kMaxFilesWaiting) {
        // The chunk being filled goes too: the writer may be waiting for it.
        ReleaseSRWLockExclusive(&lock);
        Submit();
        AcquireSRWLockExclusive(&lock);
        while (filesWaiting >= kMaxFilesWaiting) SleepConditionVariableSRW(&chunkDone, &lock, INFINITE, 0);
    }
    ++filesWaiting;
    ReleaseSRWLockExclusive(&lock);
}

void COutputWriter::CreateFolder(const std::wstring& folder, std::function<void()> onCreated) {
    Op& op = Append(OpKind::Folder);
    op.path = folder;
    if (onCreated) {
        filling->notes.push_back(std::move(onCreated));
        op.note = static_cast<uint32_t>(filling->notes.size());
    }
    op.ahead = RequestCreation(true, folder);
}

void COutputWriter::Note(std::function<void()> note) {
    Op& op = Append(OpKind::Note);
    filling->notes.push_back(std::move(note));
    op.note = static_cast<uint32_t>(filling->notes.size());
}

void COutputWriter::NewFile(const std::wstring& path, uint32_t size, bool record) {
    CountFile();
    Op& op = Append(OpKind::Create);
    ++filling->files;
    op.path = path;
    op.size = size;
    op.record = record;
    op.ahead = RequestCreation(false, path);
}

void COutputWriter::AdoptFile(KernelHandle file, const std::wstring& path, uint32_t size) {
    CountFile();
    Op& op = Append(OpKind::Adopt);
    ++filling->files;
    op.file = std::move(file);
    op.path = path;
    op.size = size;
}

void COutputWriter::Write(const void* data, UINT size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        if (filling && filling->used == kChunkBytes) Submit();
        // Consecutive writes of the file become one write: the step before is extended.
        if (!filling || filling->ops.empty() || filling->ops.back().kind != OpKind::Write) {
            Op& op = Append(OpKind::Write);
            op.offset = filling->used;
        }
        Chunk& chunk = *filling;
        uint32_t part = std::min<uint32_t>(size, kChunkBytes - chunk.used);
        std::memcpy(chunk.data.get() + chunk.used, bytes, part);
        chunk.ops.back().size += part;
        chunk.used += part;
        bytes += part;
        size -= part;
    }
    if (filling && filling->used == kChunkBytes) Submit();
}

void COutputWriter::CloseFile(USHORT date, USHORT time, USHORT attributes, bool keepTimes) {
    Op& op = Append(OpKind::Close);
    op.date = date;
    op.time = time;
    op.attributes = attributes;
    op.keepTimes = keepTimes;
    // A writer with nothing to do takes the files so far at once instead of when the chunk is full.
    if (idle.load(std::memory_order_relaxed)) Submit();
}

void COutputWriter::AbandonFile() {
    Append(OpKind::Abandon);
}

void COutputWriter::Drain() {
    if (filling && (filling->used > 0 || !filling->ops.empty())) Submit();
    if (!thread) return;
    AcquireSRWLockExclusive(&lock);
    while (!waiting.empty() || busy) SleepConditionVariableSRW(&chunkDone, &lock, INFINITE, 0);
    ReleaseSRWLockExclusive(&lock);
}

void COutputWriter::Finish() {
    Submit();
    if (thread) EndThread(thread, lock, quit, workReady);
    // Whatever was made for steps the writer never came to (it stopped or failed) goes again.
    StopCreator();
    // A file still open here never got its close: the extraction ended inside it.
    if (current) RemoveCutOff();
}

void COutputWriter::Carry(Chunk& chunk) {
    for (Op& op : chunk.ops) CarryOne(op, chunk);
    chunk.ops.clear();
    chunk.notes.clear();
    chunk.used = 0;
}

void COutputWriter::CarryOne(Op& op, Chunk& chunk) {
    const char* data = chunk.data.get();
    // A stop request ends the work at once: what is left is dropped, open files are closed, and
    // what was created ahead is removed.
    if (!stopped.load(std::memory_order_relaxed) && workerStopFlag.load()) {
        stopped = true;
        UndoCreations();
    }
    bool active = !failed.load(std::memory_order_relaxed) && !stopped.load(std::memory_order_relaxed);
    switch (op.kind) {
        case OpKind::Folder: {
            if (!active) break;
            bool made = false;
            if (op.ahead) {
                Creation creation;
                made = TakeCreation(creation) && creation.created;
            } else {
                made = CreateDirectoryW(op.path.c_str(), nullptr) != FALSE;
            }
            if (made && op.note) chunk.notes[op.note - 1]();
            break;
        }
        case OpKind::Note:
            if (active) chunk.notes[op.note - 1]();
            break;
        case OpKind::Create: {
            if (!active) break;
            if (op.record && fileRecorder) fileRecorder(op.path);
            currentPath = std::move(op.path);
            DWORD error = ERROR_FILE_NOT_FOUND;
            if (op.ahead) {
                Creation creation;
                if (TakeCreation(creation)) {
                    current = std::move(creation.file);
                    error = creation.error;
                } else {
                    current.Reset();
                }
            } else {
                HANDLE file = CreateOutputFile(currentPath);
                if (file == INVALID_HANDLE_VALUE) error = GetLastError();
                current.Reset(file);
            }
            currentCut = false;
            currentWritten = 0;
            currentSize = op.size;
            if (!current) Fail(true, error);
            break;
        }
        case OpKind::Adopt:
            // The caller opened (and so created or emptied) the file: it is the writer's to close,
            // and to remove should it not get its bytes.
            current = std::move(op.file);
            currentPath = std::move(op.path);
            currentCut = false;
            currentWritten = 0;
            currentSize = op.size;
            break;
        case OpKind::Write: {
            if (!current) break;
            DWORD written = 0;
            if (!active) {
                currentCut = true;
            } else if (!WriteFile(current.Get(), data + op.offset, op.size, &written, nullptr) || written != op.size) {
                currentCut = true;
                Fail(false, GetLastError());
            } else {
                currentWritten += op.size;
            }
            break;
        }
        case OpKind::Close:
            CloseCurrent(op);
            break;
        case OpKind::Abandon:
            // The extraction ended inside the file: it never got all of its bytes.
            if (current) RemoveCutOff();
            break;
    }
}

void COutputWriter::CloseCurrent(const Op& op) {
    if (!current) return;
    // A file that lost bytes to a stop or a failed write, or was closed with other than its stored
    // size (the library ended it early), is not the stored file: it goes.
    if (currentSize != SIZE_UNKNOWN && currentWritten != currentSize) currentCut = true;
    if (currentCut) {
        RemoveCutOff();
        return;
    }
    // After a stop or a failure a file that got all of its bytes stays as it is, without the
    // stored times and attributes.
    if (stopped.load(std::memory_order_relaxed) || failed.load(std::memory_order_relaxed)) {
        current.Reset();
        return;
    }
    // The times go onto the handle that wrote the file: reopening every file only to stamp it
    // costs more than the data of a small file.
    if (!op.keepTimes) {
        FILETIME stored, utc;
        if (DosDateTimeToFileTime(op.date, op.time, &stored)) {
            if (op.attributes & kTimeIsUtc)
                utc = stored;
            else
                LocalFileTimeToFileTime(&stored, &utc);
            SetFileTime(current.Get(), &utc, nullptr, &utc);
        }
    }
    // Closed before the attributes go on by path.
    current.Reset();
    // Every file written here was created new and so carries the archive attribute already;
    // setting only that once more would cost a second update of every file.
    USHORT kept = op.attributes & kKeptAttributes;
    if (kept != FILE_ATTRIBUTE_ARCHIVE) SetFileAttributesW(currentPath.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
    notices.Step();
}

void COutputWriter::RemoveCutOff() {
    // Closed before it is deleted.
    current.Reset();
    currentCut = false;
    cutOffFiles.push_back({currentPath, DeleteFileW(currentPath.c_str()) != FALSE});
}

void COutputWriter::Fail(bool opening, unsigned long systemError) {
    failure.opening = opening;
    failure.systemError = opening ? systemError : 0;
    failure.path = currentPath;
    failed.store(true, std::memory_order_release);
    UndoCreations();
}
