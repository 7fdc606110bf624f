#pragma once
// Owners for COM interface pointers, BSTRs and the per-thread COM initialisation. Header only,
// like the handle owners.

#include <windows.h>
#include <ole2.h>

#include <string>
#include <string_view>
#include <utility>

#include "win/Text.h"

namespace win {

template <typename T>
class ComPtr {
  public:
    ComPtr() noexcept = default;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.ptr_, nullptr));
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

    // Releases what is held and hands out the slot for an out-parameter.
    T** put() noexcept {
        reset();
        return &ptr_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    void reset(T* p = nullptr) noexcept {
        T* old = std::exchange(ptr_, p);
        if (old)
            old->Release();
    }

    template <typename U>
    ComPtr<U> As(const IID& iid) const noexcept {
        ComPtr<U> out;
        if (ptr_)
            ptr_->QueryInterface(iid, out.put_void());
        return out;
    }

  private:
    T* ptr_ = nullptr;
};

class Bstr {
  public:
    Bstr() noexcept = default;
    // Converts program text (UTF-8, see win/Text.h) to a BSTR.
    explicit Bstr(std::string_view text) {
        const std::wstring wide = Wide(text);
        value_ = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
    explicit Bstr(const wchar_t* wide) : value_(::SysAllocString(wide)) {}
    Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            ::SysFreeString(value_);
            value_ = std::exchange(other.value_, nullptr);
        }
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { ::SysFreeString(value_); }

    BSTR get() const noexcept { return value_; }
    BSTR* put() noexcept {
        ::SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    // Back to program text, without loss.
    std::string ToText() const {
        return value_ ? Narrow(std::wstring_view(value_, ::SysStringLen(value_))) : std::string();
    }

  private:
    BSTR value_ = nullptr;
};

// CoInitialize for the lifetime of the object, on the calling thread.
class ComApartment {
  public:
    ComApartment() noexcept : hr_(::CoInitialize(nullptr)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_))
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    HRESULT hr_;
};

}  // namespace win
