#pragma once
// A worker's progress that goes nowhere, for tests that look only at what a run leaves on disk.

#include <string>

#include "win/JobProgress.h"

namespace test {

class NoProgress : public win::JobProgress {
  public:
    void SetStatusText(const std::string&) override {}
    void SetProgressRange(int) override {}
    void SetProgressPosition(int) override {}
    void ShowRunning(bool) override {}
};

}  // namespace test
