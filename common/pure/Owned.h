#pragma once
// Owners: each holds one handle, frees it when it goes or takes another, and moves but never
// copies. Get() reads the handle, Release() hands it over to the caller, Reset() frees it (and
// takes another), and an owner is true while it holds one.

#include <cstdint>

// The empty value of most handle kinds: null.
struct NullIsEmpty {
    template <typename T>
    static constexpr T Value()
    {
        return T{};
    }
    template <typename T>
    static constexpr bool Holds(T value)
    {
        return value != T{};
    }
};

// Owns a T freed with Free; Empty says what holds nothing.
template <typename T, auto Free, typename Empty = NullIsEmpty>
class Owned {
public:
    Owned() = default;
    explicit Owned(T value) : value_(value) {}
    ~Owned() { Reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : value_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    T Get() const { return value_; }
    explicit operator bool() const { return Empty::Holds(value_); }
    T Release()
    {
        T value = value_;
        value_ = Empty::template Value<T>();
        return value;
    }
    void Reset(T value = Empty::template Value<T>())
    {
        T old = value_;
        value_ = value;
        if (Empty::Holds(old))
            Free(old);
    }

private:
    T value_ = Empty::template Value<T>();
};

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>

// File and find handles are empty when null or INVALID_HANDLE_VALUE (what the creating calls
// return on failure).
struct InvalidHandleIsEmpty {
    template <typename T>
    static T Value()
    {
        return INVALID_HANDLE_VALUE;
    }
    static bool Holds(HANDLE value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
};

// A socket is empty when INVALID_SOCKET (all bits set); 0 is a socket like any other. The type is
// SOCKET's, so this header needs no winsock2.h before windows.h.
struct InvalidSocketIsEmpty {
    template <typename T>
    static constexpr T Value()
    {
        return ~T{};
    }
    static constexpr bool Holds(uintptr_t value) { return value != ~uintptr_t{}; }
};

namespace OwnedFree {
inline void Key(HKEY key) { RegCloseKey(key); }
inline void File(HANDLE file) { CloseHandle(file); }
inline void Object(HANDLE object) { CloseHandle(object); }
inline void Find(HANDLE find) { FindClose(find); }
inline void Library(HMODULE module) { FreeLibrary(module); }
inline void Icon(HICON icon) { DestroyIcon(icon); }
inline void Images(HIMAGELIST list) { ImageList_Destroy(list); }
// closesocket; defined where the sockets are made, the one place that links ws2_32.
void Socket(uintptr_t socket);
}  // namespace OwnedFree

using RegKey = Owned<HKEY, OwnedFree::Key>;
using FileHandle = Owned<HANDLE, OwnedFree::File, InvalidHandleIsEmpty>;
using FindHandle = Owned<HANDLE, OwnedFree::Find, InvalidHandleIsEmpty>;
// Threads, events and mutexes: their creating calls return null on failure.
using ObjectHandle = Owned<HANDLE, OwnedFree::Object>;
using Library = Owned<HMODULE, OwnedFree::Library>;
using IconHandle = Owned<HICON, OwnedFree::Icon>;
using ImageListHandle = Owned<HIMAGELIST, OwnedFree::Images>;
using Socket = Owned<uintptr_t, OwnedFree::Socket, InvalidSocketIsEmpty>;
#endif
