#include "ui/caption_dialog_win32.h"

#include "common/cp932_texts.h"
#include "resources/resource_ids.h"
#include "ui/dialog_controls_win32.h"

namespace tavrik {

CCaptionDlg::CCaptionDlg(const CaptionSettings& settings, HWND parent)
    : Dialog(IDD_CAPTION, parent), m_settings(settings) {}

const Dialog::MessageMap& CCaptionDlg::messageMap() const {
  static const MessageMap map = {
      onClicked(IDC_CAPTION_FILE_BROWSE, &CCaptionDlg::OnBrowseFile),
      onClicked(IDC_IDLE_TEMPLATE_BROWSE, &CCaptionDlg::OnBrowseIdleTemplate),
      onClicked(IDC_CAPTION_TEMPLATE_BROWSE, &CCaptionDlg::OnBrowseTemplate),
  };
  return map;
}

BOOL CCaptionDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  setWindowText(GetDlgItem(IDC_CAPTION_FILE), m_settings.file, codePage_);
  setWindowText(GetDlgItem(IDC_IDLE_TEMPLATE), m_settings.idleTemplate, codePage_);
  setWindowText(GetDlgItem(IDC_CAPTION_TEMPLATE), m_settings.plainTemplate, codePage_);
  CheckRadioButton(window(), IDC_PAUSED_TRACK, IDC_PAUSED_IDLE,
                   m_settings.idleWhenPaused ? IDC_PAUSED_IDLE : IDC_PAUSED_TRACK);
  return TRUE;
}

void CCaptionDlg::OnOK() {
  m_settings.file = narrowedWherePossible(wholeWindowText(GetDlgItem(IDC_CAPTION_FILE)), codePage_);
  m_settings.idleTemplate = narrowedWherePossible(wholeWindowText(GetDlgItem(IDC_IDLE_TEMPLATE)), codePage_);
  m_settings.plainTemplate = narrowedWherePossible(wholeWindowText(GetDlgItem(IDC_CAPTION_TEMPLATE)), codePage_);
  m_settings.idleWhenPaused = IsDlgButtonChecked(window(), IDC_PAUSED_IDLE) == BST_CHECKED;
  Dialog::OnOK();
}

void CCaptionDlg::OnBrowseFile() {
  // Owned by this dialog; "nowplaying" typed there becomes nowplaying.txt.
  FileChoice choice;
  choice.owner = window();
  choice.filter = texts::kCaptionFileFilter;
  choice.save = true;
  choice.defaultExtension = u"txt";
  chooseFileInto(GetDlgItem(IDC_CAPTION_FILE), choice, codePage_);
}

void CCaptionDlg::OnBrowseTemplate() {
  FileChoice choice;
  choice.owner = window();
  choice.filter = texts::kPlainTemplateFilter;
  chooseFileInto(GetDlgItem(IDC_CAPTION_TEMPLATE), choice, codePage_);
}

void CCaptionDlg::OnBrowseIdleTemplate() {
  FileChoice choice;
  choice.owner = window();
  choice.filter = texts::kIdleTemplateFilter;
  chooseFileInto(GetDlgItem(IDC_IDLE_TEMPLATE), choice, codePage_);
}

}  // namespace tavrik
