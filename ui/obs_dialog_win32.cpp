#include "ui/obs_dialog_win32.h"

#include "common/cp932_texts.h"
#include "resources/resource_ids.h"
#include "ui/dialog_controls_win32.h"

namespace tavrik {

CObsDlg::CObsDlg(const ObsOutputSettings& settings, HWND parent) : Dialog(IDD_OBS, parent), m_settings(settings) {}

const Dialog::MessageMap& CObsDlg::messageMap() const {
  static const MessageMap map = {onClicked(IDC_OBS_TEMPLATE_BROWSE, &CObsDlg::OnBrowseTemplate)};
  return map;
}

BOOL CObsDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  setWindowText(GetDlgItem(IDC_OBS_ADDRESS),
                m_settings.address.empty() ? AnsiOrWide(kDefaultObsAddress) : m_settings.address, codePage_);
  setWindowText(GetDlgItem(IDC_OBS_PASSWORD), m_settings.password, codePage_);
  setWindowText(GetDlgItem(IDC_OBS_SOURCE), m_settings.source, codePage_);
  setWindowText(GetDlgItem(IDC_OBS_TEMPLATE), m_settings.plainTemplate, codePage_);
  return TRUE;
}

void CObsDlg::OnOK() {
  std::u16string address = wholeWindowText(GetDlgItem(IDC_OBS_ADDRESS));
  // An OK that changed nothing must leave the settings, and their file, as
  // they were.
  if (m_settings.address.empty() && address == kDefaultObsAddress) address.clear();
  m_settings.address = narrowedWherePossible(std::move(address), codePage_);
  m_settings.password = narrowedWherePossible(wholeWindowText(GetDlgItem(IDC_OBS_PASSWORD)), codePage_);
  m_settings.source = narrowedWherePossible(wholeWindowText(GetDlgItem(IDC_OBS_SOURCE)), codePage_);
  m_settings.plainTemplate = narrowedWherePossible(wholeWindowText(GetDlgItem(IDC_OBS_TEMPLATE)), codePage_);
  Dialog::OnOK();
}

void CObsDlg::OnBrowseTemplate() {
  FileChoice choice;
  choice.owner = window();
  choice.filter = texts::kPlainTemplateFilter;
  chooseFileInto(GetDlgItem(IDC_OBS_TEMPLATE), choice, codePage_);
}

}  // namespace tavrik
