#pragma once
// The outcome of a call that can fail: success, or the error code captured at the failing call, so
// that no caller reads a last error that a later call has overwritten. Header only.
//
// The one shape of a failed call in win/ and clean/: an act returns a Result; a call that gives a
// value returns ResultOf<T>, the value with its Result. Neither may be dropped unread.

#include <windows.h>

#include <utility>

namespace win {

class [[nodiscard]] Result {
  public:
    // Success.
    Result() noexcept = default;
    // A failure with its error code; ERROR_SUCCESS would read as success, so it stands for a
    // failure the system gave no code for.
    static Result Failed(DWORD error) noexcept {
        return Result(error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error);
    }
    // A failure with the thread's last error, read right after the call that failed.
    static Result LastError() noexcept { return Failed(::GetLastError()); }
    // Success when ok is true, else the thread's last error: for a call's own BOOL.
    static Result From(BOOL ok) noexcept { return ok ? Result() : LastError(); }

    explicit operator bool() const noexcept { return error_ == ERROR_SUCCESS; }
    // ERROR_SUCCESS for success, else why the call failed.
    DWORD Error() const noexcept { return error_; }

  private:
    explicit Result(DWORD error) noexcept : error_(error) {}
    DWORD error_ = ERROR_SUCCESS;
};

// A value and the Result of the call that gave it. On failure the value is empty (T's default),
// unless the call says what it keeps there (the truest path known, say).
template <typename T>
class [[nodiscard]] ResultOf {
  public:
    // Success with its value.
    ResultOf(T value) : value_(std::move(value)) {}
    // A failure, with an empty value.
    ResultOf(Result failure) : outcome_(failure) {}
    // A value that stands even where the call fell short, with why.
    ResultOf(T value, Result outcome) : value_(std::move(value)), outcome_(outcome) {}

    explicit operator bool() const noexcept { return static_cast<bool>(outcome_); }
    DWORD Error() const noexcept { return outcome_.Error(); }
    Result Outcome() const noexcept { return outcome_; }

    T& Value() & noexcept { return value_; }
    const T& Value() const& noexcept { return value_; }
    T&& Value() && noexcept { return std::move(value_); }
    T* operator->() noexcept { return &value_; }
    const T* operator->() const noexcept { return &value_; }

  private:
    T value_{};
    Result outcome_;
};

}  // namespace win
