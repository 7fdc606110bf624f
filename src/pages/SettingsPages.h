#pragma once
// The settings pages: each shows its part of the wizard's settings and stores its controls back
// into them (see SettingsPage).

#include <string>
#include <vector>

#include "config/CleanOptionSettings.h"
#include "config/ListSettings.h"
#include "config/ScanOptionSettings.h"
#include "pages/SettingsPage.h"
#include "win/ListView.h"

// Junk-file patterns: mask, description and tick per row.
class PatternPage : public SettingsPage<std::vector<JunkPattern>> {
  public:
    explicit PatternPage(std::vector<JunkPattern>& patterns);
    ~PatternPage() override { CloseOwnWindow(); }

  protected:
    void SetUpControls() override;
    void Show(const std::vector<JunkPattern>& rows) override;
    std::vector<JunkPattern> Collect() const override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    void AppendRow(const std::string& mask, const std::string& description, bool ticked);
    win::ListView list_;
};

// The eleven scan options and the months box.
class OptionsPage : public SettingsPage<ScanOptionValues> {
  public:
    explicit OptionsPage(ScanOptionValues& options);
    ~OptionsPage() override { CloseOwnWindow(); }

  protected:
    void SetUpControls() override;
    void Show(const ScanOptionValues& values) override;
    ScanOptionValues Collect() const override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    void ShowMonthsWord();

    ScanOptionValues shown_;  // the values last shown: forced boxes collect these, not the policy's
};

// Folders the search leaves out.
class SkipPage : public SettingsPage<std::vector<SkipFolder>> {
  public:
    explicit SkipPage(std::vector<SkipFolder>& folders);
    ~SkipPage() override { CloseOwnWindow(); }

  protected:
    void SetUpControls() override;
    void Show(const std::vector<SkipFolder>& rows) override;
    std::vector<SkipFolder> Collect() const override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    win::ListView list_;
};

// Permanent deletion or the Recycle Bin, the backup folder, and after how many days the restore
// points go (unticked: never).
class CleanOptionsPage : public SettingsPage<CleanOptionValues> {
  public:
    explicit CleanOptionsPage(CleanOptionValues& options);
    ~CleanOptionsPage() override { CloseOwnWindow(); }

    // Whether the cleaning of files (bytes in all) may start: with backup ticked, the folder must be
    // a full path, where the rescue manager will find the restore point again (the user is told
    // otherwise); a permanent deletion without a restore point asks once, No by default.
    bool ReadyToClean(size_t files, uint64_t bytes);

  protected:
    void SetUpControls() override;
    void Show(const CleanOptionValues& values) override;
    CleanOptionValues Collect() const override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    void UpdateBackupControls();
    CleanOptionValues shown_;  // as OptionsPage's
};

// The pattern dialog (add and modify): mask, description and the caption's key.
class PatternDialog : public win::Dialog {
  public:
    PatternDialog(std::string captionKey, std::string mask, std::string description)
        : captionKey_(std::move(captionKey)), mask_(std::move(mask)), description_(std::move(description)) {}
    const std::string& Mask() const { return mask_; }
    const std::string& Description() const { return description_; }

  protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    std::string captionKey_, mask_, description_;
};

// Removes the selected row, then selects the row now at its place (or the last one).
// Shows "_YouMustSelectAnItem" when no row is selected.
void RemoveSelectedRow(HWND page, const win::ListView& list);
