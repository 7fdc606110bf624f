#include "pages/ReportPage.h"

#include "app/FormatText.h"
#include "app/LanguageTable.h"
#include "resources/ResourceIds.h"

namespace {
uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
}  // namespace

ReportPage::ReportPage() : WizardPage(IDD_PAGE_REPORT) {}

void ReportPage::InitPage() {
    list_ = win::ListView(Item(IDC_REPORT_LIST));
    list_.AddColumn(0, Translate("_ReportPageListColumnFileName"), 350, 0);
    list_.AddColumn(1, Translate("_ReportPageListColumnFileSize"), 100, 1);
    list_.AddColumn(2, Translate("_ReportPageStateDescription"), 100, 0);
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth},
                              {IDC_REPORT_LIST, win::Anchor::GrowBoth},
                              {IDC_REPORT_SELECTALL, win::Anchor::MoveDown},
                              {IDC_REPORT_REMOVEALL, win::Anchor::MoveDown},
                              {IDC_REPORT_MOREINFO, win::Anchor::MoveBottomRight},
                              {IDC_REPORT_SUMMARY, win::Anchor::MoveDownGrowWidth}});
}

void ReportPage::Fill(const ScanResults& results) {
    results_ = results;
    list_.SetRedraw(false);
    list_.DeleteAll();
    double totalKilobytes = 0;
    int index = 0;
    for (const auto& [path, reason] : results_) {
        int row = list_.Append(path, index++);
        double kilobytes = BytesToKilobytes(FileSize(path));
        totalKilobytes += kilobytes;
        list_.SetText(row, 1, FormatText("%.2lf", {kilobytes}));
        list_.SetText(row, 2, reason);
        list_.SetTicked(row, true);
    }
    list_.SetRedraw(true);
    SetItemText(IDC_REPORT_SUMMARY,
                FormatText(Translate("_ReportPageStateTotalSize"),
                           {static_cast<long long>(results_.Count()), totalKilobytes, KilobytesToMegabytes(totalKilobytes)}));
}

bool ReportPage::OnCommand(int id, int, HWND) {
    if (id != IDC_REPORT_SELECTALL && id != IDC_REPORT_REMOVEALL) return false;
    for (int row = 0; row < list_.Count(); ++row) list_.SetTicked(row, id == IDC_REPORT_SELECTALL);
    return true;
}
