#pragma once
// The program's side of the external activity log component (ProgID "Logwright.Log").
//
// Each use makes its own instance on the thread that uses it (COM must be initialised there). The
// component is optional: when it is not registered or cannot be created, every operation quietly
// does nothing, and no failure of the component ever ends the program.

#include <string>

#include "core/ProgramPath.h"

#include <Logwright.h>

#include "win/ComPtr.h"

class ActivityLog {
  public:
    // Creates the component: CLSIDFromProgID, then CoCreateInstance in-process, in-process handler
    // or local server. A failure leaves the object unavailable.
    ActivityLog();

    bool Available() const { return static_cast<bool>(log_); }

    // Each returns whether the component took the call; texts are program text (ANSI code page).
    bool SetDataPath(const std::string& path);
    bool AddEntry(const std::string& type, const std::string& category, const std::string& subcategory,
                  const std::string& source, const std::string& text);
    // Opens the component's viewer (owner 0) with its viewer interface, and waits for it to close.
    // The viewer speaks the program's language and writes its times in the locale of that
    // language; a component without ILogwrightViewerTexts shows its own English.
    bool ShowViewer();

  private:
    win::ComPtr<ILogwrightLog> log_;
};

// The viewer command: create the component, point it at dataFolder, show the viewer, release it.
// Does nothing when the component is missing.
void OpenActivityLogViewer(const std::string& dataFolder);
