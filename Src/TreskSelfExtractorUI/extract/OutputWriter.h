#pragma once
// The output side of an extraction on a thread of its own: the library's thread hands over the
// files' data and what is to be done with them, and goes on inflating while the writer creates,
// writes, stamps and closes the files. Everything handed over is carried out in the order given,
// so the files, the log lines and the records come out as if they had been done on the spot.
//
// Data is gathered into a few large buffers (consecutive writes of one file become one write);
// the library's thread waits only when all of them are full. A failure (a file that cannot be
// created, a write that fails) stops the writer at that point: nothing handed over after it is
// carried out, except that open files are closed. A stop request (the worker stop flag) does the
// same, without stamping the files. A file that lost bytes that way is removed (GetCutOffFiles).
//
// Creating a file costs the system more than writing a small one, so a second thread creates the
// folders and files in their order as soon as they are handed over, a limited number ahead of the
// writer, which takes each file's handle when it comes to it. When the writer stops early, what
// was created ahead of it is removed again: the disk shows what it would have shown had
// everything been done in one place.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "extract/WindowNotices.h"
#include "util/Handles.h"

class COutputWriter {
public:
    // notices gets one progress step for every file closed, and is flushed whenever the writer
    // runs out of work; the writer's thread uses it (and the notes' log lines) while it runs.
    explicit COutputWriter(CWindowNotices& notices);
    ~COutputWriter();
    COutputWriter(const COutputWriter&) = delete;
    COutputWriter& operator=(const COutputWriter&) = delete;

    // Starts the writer's and the creating thread; without them, everything is carried out at
    // once by the caller.
    void Start();
    // Runs on the writer's thread for every file handed over with NewFile (record set), at its
    // place in the order, before the file is created: the file's log line and list entries.
    void SetFileRecorder(std::function<void(const std::wstring&)> recorder) { fileRecorder = std::move(recorder); }

    // What is handed over, carried out in this order on the writer's thread.
    // Creates the folder; onCreated runs only when this call created it.
    void CreateFolder(const std::wstring& folder, std::function<void()> onCreated);
    // Runs note (a record or a log line that belongs at this point of the order).
    void Note(std::function<void()> note);
    // A file's size when it is not known: no check of the bytes written.
    static constexpr uint32_t SIZE_UNKNOWN = UINT32_MAX;
    // Creates a new file (it must not exist) and makes it the file written to; with record, the
    // file recorder runs for it first. size is the file's stored size: a file closed with fewer or
    // more bytes written is cut off.
    void NewFile(const std::wstring& path, uint32_t size = SIZE_UNKNOWN, bool record = false);
    // Makes a file the caller opened the file written to; the writer closes it.
    void AdoptFile(KernelHandle file, const std::wstring& path, uint32_t size = SIZE_UNKNOWN);
    void Write(const void* data, UINT size);
    // Closes the file written to: the stored date and time (unless keepTimes) go onto it first,
    // the stored attributes after; then one progress step.
    void CloseFile(USHORT date, USHORT time, USHORT attributes, bool keepTimes);
    // The extraction ended inside the file written to: it is closed and, being cut off, removed.
    void AbandonFile();

    // Waits until everything handed over is carried out.
    void Drain();
    // Carries out what is left and ends the thread.
    void Finish();

    struct Failure {
        bool opening = false;           // the file could not be created (else a write failed)
        unsigned long systemError = 0;  // the platform's error of a failed creation
        std::wstring path;              // the file that failed
    };
    // A file the writer left cut off (a failed write, a stop, or an extraction that ended inside
    // it): closed and deleted, since it is not the stored file. removed is false when the file
    // could not be deleted.
    struct CutOffFile {
        std::wstring path;
        bool removed = false;
    };
    // Valid once Finish has returned.
    const std::vector<CutOffFile>& GetCutOffFiles() const { return cutOffFiles; }

    // Cheap enough to ask on every write.
    bool HasFailed() const { return failed.load(std::memory_order_acquire); }
    // Valid once HasFailed.
    const Failure& GetFailure() const { return failure; }
    // A stop request left work undone.
    bool WasStopped() const { return stopped.load(); }

private:
    enum class OpKind : uint8_t { Folder, Note, Create, Adopt, Write, Close, Abandon };
    // One step; small, since every file takes several and a chunk keeps its steps' room.
    struct Op {
        OpKind kind = OpKind::Note;
        bool keepTimes = false;
        bool ahead = false;   // Folder, Create: made by the creating thread
        bool record = false;  // Create: the file recorder runs first
        USHORT date = 0, time = 0, attributes = 0;
        uint32_t offset = 0, size = 0;  // Write: bytes in the chunk's data; Create, Adopt: the stored size
        uint32_t note = 0;              // Folder, Note: the function in the chunk's notes, plus 1
        KernelHandle file;              // Adopt
        std::wstring path;
    };
    struct Chunk {
        std::unique_ptr<char[]> data;
        uint32_t used = 0;
        std::vector<Op> ops;
        std::vector<std::function<void()>> notes;
        size_t files = 0;  // files handed over in this chunk (NewFile, AdoptFile)
    };

    // A folder or file made ahead of the writer, in the order handed over.
    struct Creation {
        bool folder = false;
        std::wstring path;
        KernelHandle file;      // the created file, or none
        bool created = false;   // the folder or file was made by this creation
        DWORD error = 0;        // why a file could not be created
    };

    static DWORD WINAPI ThreadProc(LPVOID self);
    static DWORD WINAPI CreatorProc(LPVOID self);
    void Run();
    void RunCreator();
    // Hands a folder or file to the creating thread (when it runs).
    bool RequestCreation(bool folder, const std::wstring& path);
    // The oldest creation, once it is done; false when the creations were given up.
    bool TakeCreation(Creation& creation);
    // Stops the creating thread and removes what it made ahead of the writer, newest first.
    void UndoCreations();
    // Ends the creating thread.
    void StopCreator();
    // A new step at the end of the chunk being filled (waits for a free chunk).
    Op& Append(OpKind kind);
    // Hands the chunk being filled to the writer.
    void Submit();
    // Waits while too many files are handed over and not yet carried out: their paths and steps
    // would otherwise pile up for a whole run of small files, which the writer is slower at than
    // the library. One file more is then counted.
    void CountFile();
    void Carry(Chunk& chunk);
    void CarryOne(Op& op, Chunk& chunk);
    void CloseCurrent(const Op& op);
    // Closes and deletes the file written to, which did not get all of its bytes.
    void RemoveCutOff();
    void Fail(bool opening, unsigned long systemError);

    CWindowNotices& notices;
    std::vector<Chunk> chunks;
    // Chunks waiting for the writer, chunks free for the caller, the one the caller fills.
    std::deque<Chunk*> waiting;
    std::vector<Chunk*> spare;
    Chunk* filling = nullptr;
    bool busy = false;  // the writer is carrying out a chunk
    size_t filesWaiting = 0;  // files in the chunks handed over or being filled, not yet carried out
    std::function<void(const std::wstring&)> fileRecorder;
    bool quit = false;
    std::atomic<bool> idle{false};  // the writer waits for work
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE workReady = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE chunkDone = CONDITION_VARIABLE_INIT;
    KernelHandle thread;

    // The creating thread and what it shares with the writer, under creationLock.
    KernelHandle creator;
    SRWLOCK creationLock = SRWLOCK_INIT;
    CONDITION_VARIABLE creationWork = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE creationDone = CONDITION_VARIABLE_INIT;
    std::deque<Creation> creations;  // handed over and not yet taken by the writer, oldest first
    size_t created = 0;              // how many of them are done: the oldest, as they are made in order
    bool creating = false;           // the creating thread is making one
    bool halted = false;             // no more creations: a file could not be made, or they were given up
    bool creatorQuit = false;

    // The writer's own state.
    KernelHandle current;
    std::wstring currentPath;
    bool currentCut = false;  // a write of the current file was dropped or failed
    uint64_t currentWritten = 0;
    uint32_t currentSize = SIZE_UNKNOWN;
    std::vector<CutOffFile> cutOffFiles;
    std::atomic<bool> failed{false};
    std::atomic<bool> stopped{false};
    Failure failure;
};
