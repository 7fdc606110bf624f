#pragma once
// What a worker shows while it runs: the scanning page, the cleaning page and the rescue manager
// implement it with their controls; tests implement it with recorders. Each call comes from the
// worker's thread and reaches the controls synchronously.

#include <string>

namespace win {

class JobProgress {
  public:
    virtual ~JobProgress() = default;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetProgressRange(int maximum) = 0;  // 0 .. maximum
    virtual void SetProgressPosition(int position) = 0;
    // True while a run goes on, false once it has ended: the pages enable their Stop button with
    // it, the rescue manager disables its commands.
    virtual void ShowRunning(bool running) = 0;
};

}  // namespace win
