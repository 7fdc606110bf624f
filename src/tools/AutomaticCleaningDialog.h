#pragma once
// "Automatic Cleaning...": the schedule of the automatic cleaning, its free-space condition and
// folders, what it will do and when it runs next and ran last. OK stores the choice in config.xml
// and creates, changes or removes this user's task in the Task Scheduler; Cancel changes nothing.
// The dialog shows what the Task Scheduler holds: a task removed or disabled there shows as off.

#include <string>

#include "config/Policy.h"
#include "config/ScheduleSettings.h"
#include "core/DataFolders.h"
#include "win/Dialog.h"

class AutomaticCleaningDialog : public win::Dialog {
  public:
    // data says where config.xml and the log are; programPath is the program the task runs. Where
    // the policy forces the automatic cleaning on or does not allow it, the dialog shows that,
    // every control disabled with the note "Set by your organisation", and OK changes nothing.
    AutomaticCleaningDialog(DataFolders data, std::string programPath, Policy policy = {});

    // The choice the controls show now.
    ScheduleValues Shown() const;

  protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    void Show(const ScheduleValues& values);
    void FillDays(ScheduleKind kind, int selected);
    void UpdateStates();
    void ShowTexts();
    // Applies the choice to the Task Scheduler, then config.xml; false (with the reason shown)
    // when the task could not be changed: then nothing was.
    bool Apply();

    DataFolders data_;
    std::string programPath_;
    ScheduleValues stored_;
    Policy policy_;
};
