#pragma once
// The settings pages: each loads its section of config.xml while it is created and stores it when
// it is destroyed; the frame reads their controls when the scan or the cleaning starts.

#include <string>
#include <vector>

#include "pages/WizardPage.h"
#include "win/ListView.h"

// Junk-file patterns: mask, description and tick per row.
class PatternPage : public WizardPage {
  public:
    PatternPage();
    ~PatternPage() override { CloseOwnWindow(); }

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnDestroy() override;

  private:
    void Load(bool factory);
    void AppendRow(const std::string& mask, const std::string& description, bool ticked);
    win::ListView list_;
};

// The eleven scan options and the months box.
class OptionsPage : public WizardPage {
  public:
    OptionsPage();
    ~OptionsPage() override { CloseOwnWindow(); }

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnDestroy() override;

  private:
    void Load(bool factory);
};

// Folders the search leaves out.
class SkipPage : public WizardPage {
  public:
    SkipPage();
    ~SkipPage() override { CloseOwnWindow(); }

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnDestroy() override;

  private:
    void Load(bool factory);
    win::ListView list_;
};

// Permanent deletion or the Recycle Bin, and the backup folder.
class CleanOptionsPage : public WizardPage {
  public:
    CleanOptionsPage();
    ~CleanOptionsPage() override { CloseOwnWindow(); }

    // Whether the cleaning may start: with backup ticked, the folder must be a full path, where the
    // rescue manager will find the restore point again. Tells the user otherwise.
    bool ReadyToClean();

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnDestroy() override;

  private:
    void Load(bool factory);
    void UpdateBackupControls();
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
