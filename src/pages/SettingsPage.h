#pragma once
// The shape every settings page shares: it loads its part of the settings from config.xml while
// it is created (current values, read strictly; Default loads the factory ones into the controls), stores its
// controls into that part when asked and when its window goes, and then writes it to config.xml.

#include <utility>

#include "config/ConfigDocument.h"
#include "core/AskUser.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "config/ListSettings.h"
#include "config/Policy.h"
#include "pages/WizardPage.h"
#include "resources/ResourceIds.h"

template <typename Values>
class SettingsPage : public WizardPage {
  public:
    // How the page's section of config.xml is read (current or factory values) and written.
    using ReadSection = Values (*)(const std::string& configPath, ValueSet set);
    using WriteSection = bool (*)(const std::string& configPath, const Values& values);
    // The current values read strictly: what cannot be read comes back as its factory value.
    using ReadCurrent = StrictlyRead<Values> (*)(const std::string& configPath);

    SettingsPage(int templateId, int picture, Values& values, ReadCurrent readCurrent, ReadSection read,
                 WriteSection write)
        : WizardPage(templateId, picture),
          values_(values),
          readCurrent_(readCurrent),
          read_(read),
          write_(write) {}

    // What the organisation forces: the page shows it, disabled, with the note "Set by your
    // organisation", and keeps the user's own value underneath (config.xml never takes a policy's
    // value, so the user's choice returns when the policy goes). policy outlives the page.
    void ObeyPolicy(const Policy& policy) { policy_ = &policy; }

    // Puts what the controls show into the settings.
    void Store() {
        if (Handle())
            values_ = Collect();
    }

  protected:
    // The page's controls and layout, before its values are shown.
    virtual void SetUpControls() = 0;
    virtual void Show(const Values& values) = 0;
    virtual Values Collect() const = 0;

    // A damaged setting is shown as its factory value, and the user is told which, before the page
    // goes back into config.xml with what it shows: read leniently, it would show as a choice
    // nobody made (a tick as off, the months as 0).
    void InitPage() final {
        SetUpControls();
        StrictlyRead<Values> current = readCurrent_(ConfigFilePath());
        values_ = std::move(current.values);
        Show(values_);
        if (!current.unreadable.empty() && ConfigDocument(ConfigFilePath()).IsLoaded())
            AskUserText(Handle(),
                        FormatText(Translate("_SettingUnreadableFactoryShown"),
                                   {current.unreadable, ConfigFilePath()}),
                        MB_OK | MB_ICONWARNING);
    }
    const Policy& Forced() const {
        static const Policy none;
        return policy_ ? *policy_ : none;
    }
    // Shows the page's note, with detail after it (what the organisation adds) when given.
    void ShowPolicyNote(bool shown, const std::string& detail = {}) {
        if (shown)
            SetItemText(IDC_POLICY_NOTE, Translate("_PolicySetByOrganisation") + detail);
        ::ShowWindow(Item(IDC_POLICY_NOTE), shown ? SW_SHOWNA : SW_HIDE);
    }
    // "_Default": the factory values into the controls; nothing is written until the page goes.
    void ShowFactoryValues() { Show(read_(ConfigFilePath(), ValueSet::Factory)); }
    void OnDestroy() final {
        Store();
        write_(ConfigFilePath(), values_);
    }

  private:
    const Policy* policy_ = nullptr;
    Values& values_;
    ReadCurrent readCurrent_;
    ReadSection read_;
    WriteSection write_;
};
