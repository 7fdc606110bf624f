#pragma once
// The outcome of a call that can fail: success, or the error code captured at the failing call, so
// that no caller reads a last error that a later call has overwritten. Header only.

#include <windows.h>

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

}  // namespace win
