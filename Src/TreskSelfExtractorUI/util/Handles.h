#pragma once
// Owners of the system's handles: each closes what it holds when it goes out of scope or is given
// another handle. They are moved, never copied, and cost no more than the handle itself (no heap,
// no virtual calls, everything inline), so the extraction's per-file path uses them freely.
// GDI objects have their owners in the window layer (WinGui/Gdi.h).

#include <windows.h>

#include <string>
#include <utility>

template <typename Traits>
class OwnedHandle {
public:
    using Handle = typename Traits::Handle;

    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle(handle) {}
    ~OwnedHandle() { Reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : handle(other.Release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        Reset(other.Release());
        return *this;
    }

    // Closes the handle held, if any, and holds replacement instead.
    void Reset(Handle replacement = Handle()) {
        Handle previous = std::exchange(handle, replacement);
        if (Traits::IsValid(previous)) Traits::Close(previous);
    }
    // Gives the handle up without closing it: whoever takes it closes it.
    Handle Release() { return std::exchange(handle, Handle()); }
    // For a function that hands a new handle back through a pointer; what was held is closed first.
    Handle* Receive() {
        Reset();
        return &handle;
    }
    Handle Get() const { return handle; }
    explicit operator bool() const { return Traits::IsValid(handle); }

private:
    Handle handle = Handle();
};

// Files, threads, events, mutexes, pipes and processes. Opening a file reports a failure as
// INVALID_HANDLE_VALUE, the other functions as null: the owner takes either result as it comes and
// holds nothing in both cases.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static bool IsValid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
using KernelHandle = OwnedHandle<KernelHandleTraits>;

// A search of FindFirstFileW (INVALID_HANDLE_VALUE when nothing was found).
struct FindHandleTraits {
    using Handle = HANDLE;
    static bool IsValid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { FindClose(handle); }
};
using FindHandle = OwnedHandle<FindHandleTraits>;

// A registry key the program opened; the predefined roots (HKEY_LOCAL_MACHINE...) are never owned.
struct RegistryKeyTraits {
    using Handle = HKEY;
    static bool IsValid(HKEY key) { return key != nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};
using RegistryKey = OwnedHandle<RegistryKeyTraits>;

// Calls visit(const WIN32_FIND_DATAW&) for each entry that matches the search pattern (a folder
// and a wildcard), without "." and "..", until visit returns false. The search is closed when this
// returns, so the folder can be removed right after. False when the search found nothing.
template <typename Visit>
bool ForEachFolderEntry(const std::wstring& pattern, Visit visit) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(pattern.c_str(), &data));
    if (!find) return false;
    do {
        const wchar_t* name = data.cFileName;
        bool dots = name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
        if (!dots && !visit(static_cast<const WIN32_FIND_DATAW&>(data))) break;
    } while (FindNextFileW(find.Get(), &data));
    return true;
}
