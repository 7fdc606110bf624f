#pragma once
// The shape every settings page shares: it loads its part of the settings from config.xml while
// it is created (current values; Default loads the factory ones into the controls), stores its
// controls into that part when asked and when its window goes, and then writes it to config.xml.

#include "config/ConfigDocument.h"
#include "config/ListSettings.h"
#include "pages/WizardPage.h"

template <typename Values>
class SettingsPage : public WizardPage {
  public:
    // How the page's section of config.xml is read (current or factory values) and written.
    using ReadSection = Values (*)(const std::string& configPath, ValueSet set);
    using WriteSection = bool (*)(const std::string& configPath, const Values& values);

    SettingsPage(int templateId, int picture, Values& values, ReadSection read, WriteSection write)
        : WizardPage(templateId, picture), values_(values), read_(read), write_(write) {}

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

    void InitPage() final {
        SetUpControls();
        values_ = read_(ConfigFilePath(), ValueSet::Current);
        Show(values_);
    }
    // "_Default": the factory values into the controls; nothing is written until the page goes.
    void ShowFactoryValues() { Show(read_(ConfigFilePath(), ValueSet::Factory)); }
    void OnDestroy() final {
        Store();
        write_(ConfigFilePath(), values_);
    }

  private:
    Values& values_;
    ReadSection read_;
    WriteSection write_;
};
