#pragma once
// Move-only owners of Win32 handles: each names its close function and its empty value. Header
// only, so the activity log component uses the same owners as the program.

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace win {

template <typename Traits>
class UniqueResource {
  public:
    using Type = typename Traits::Type;

    UniqueResource() noexcept = default;
    explicit UniqueResource(Type value) noexcept : value_(value) {}
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { reset(); }

    Type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

    // Gives up ownership without closing.
    Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }

    void reset(Type value = Traits::Invalid()) noexcept {
        Type old = std::exchange(value_, value);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }

    // For functions that return a handle through a pointer argument.
    Type* put() noexcept {
        reset();
        return &value_;
    }

  private:
    Type value_ = Traits::Invalid();
};

// A handle kind that is empty when null, named by its type and its close function.
template <typename Handle, auto CloseFunction>
struct NullEmptyTraits {
    using Type = Handle;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { CloseFunction(h); }
};

// One that reports failure as INVALID_HANDLE_VALUE (CreateFile, FindFirstFile), not as null.
template <auto CloseFunction>
struct InvalidEmptyTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { CloseFunction(h); }
};

inline void DeleteGdiObject(HGDIOBJ object) noexcept {
    ::DeleteObject(object);
}

using KernelHandleTraits = NullEmptyTraits<HANDLE, ::CloseHandle>;
using FindHandleTraits = InvalidEmptyTraits<::FindClose>;
using FileHandleTraits = InvalidEmptyTraits<::CloseHandle>;
using RegKeyTraits = NullEmptyTraits<HKEY, ::RegCloseKey>;
using ImageListTraits = NullEmptyTraits<HIMAGELIST, ::ImageList_Destroy>;
template <typename Object>  // HBRUSH, HFONT, HBITMAP, ...
using GdiObjectTraits = NullEmptyTraits<Object, DeleteGdiObject>;
using IconTraits = NullEmptyTraits<HICON, ::DestroyIcon>;
using MenuTraits = NullEmptyTraits<HMENU, ::DestroyMenu>;
using HookTraits = NullEmptyTraits<HHOOK, ::UnhookWindowsHookEx>;

using UniqueHandle = UniqueResource<KernelHandleTraits>;  // threads, mutexes, events
using UniqueFile = UniqueResource<FileHandleTraits>;      // CreateFile
using UniqueFind = UniqueResource<FindHandleTraits>;      // FindFirstFileExW listings
using UniqueRegKey = UniqueResource<RegKeyTraits>;
using UniqueImageList = UniqueResource<ImageListTraits>;
template <typename Object>
using UniqueGdiObject = UniqueResource<GdiObjectTraits<Object>>;
using UniqueIcon = UniqueResource<IconTraits>;  // icons the program made or extracted, not shared ones
using UniqueMenu = UniqueResource<MenuTraits>;  // menus not attached to a window
using UniqueHook = UniqueResource<HookTraits>;

// The named mutex that lets one instance of the program run at a time: held while the object lives.
class SingleInstance {
  public:
    explicit SingleInstance(const wchar_t* name) : mutex_(::CreateMutexW(nullptr, FALSE, name)) {
        another_ = mutex_ && ::GetLastError() == ERROR_ALREADY_EXISTS;
    }
    // True when another process held the mutex first.
    bool AnotherRuns() const noexcept { return another_; }

  private:
    UniqueHandle mutex_;
    bool another_ = false;
};

}  // namespace win
