#include "ui/overlay_dialog_win32.h"

#include "common/cp932_texts.h"
#include "resources/resource_ids.h"
#include "ui/dialog_controls_win32.h"

namespace tavrik {

namespace {
// The controls and the settings' fields they show, in order.
struct Field {
  int control;
  AnsiOrWide OverlayOutputSettings::*value;
};
constexpr Field kFields[] = {{IDC_OVERLAY_PORT, &OverlayOutputSettings::port},
                             {IDC_OVERLAY_TEMPLATE, &OverlayOutputSettings::htmlTemplate},
                             {IDC_OVERLAY_STYLE, &OverlayOutputSettings::style},
                             {IDC_OVERLAY_SHOW_FOR, &OverlayOutputSettings::showFor}};
}  // namespace

COverlayDlg::COverlayDlg(const OverlayOutputSettings& settings, HWND parent)
    : Dialog(IDD_OVERLAY, parent), m_settings(settings) {}

const Dialog::MessageMap& COverlayDlg::messageMap() const {
  static const MessageMap map = {onClicked(IDC_OVERLAY_TEMPLATE_BROWSE, &COverlayDlg::OnBrowseTemplate),
                                 onClicked(IDC_OVERLAY_STYLE_BROWSE, &COverlayDlg::OnBrowseStyle)};
  return map;
}

BOOL COverlayDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  for (const Field& field : kFields) setWindowText(GetDlgItem(field.control), m_settings.*field.value, codePage_);
  return TRUE;
}

void COverlayDlg::OnOK() {
  for (const Field& field : kFields)
    m_settings.*field.value = narrowedWherePossible(wholeWindowText(GetDlgItem(field.control)), codePage_);
  Dialog::OnOK();
}

void COverlayDlg::OnBrowseTemplate() {
  FileChoice choice;
  choice.owner = window();
  choice.filter = texts::kTemplateFilter;
  chooseFileInto(GetDlgItem(IDC_OVERLAY_TEMPLATE), choice, codePage_);
}

void COverlayDlg::OnBrowseStyle() {
  FileChoice choice;
  choice.owner = window();
  choice.filter = texts::kStylesheetFilter;
  chooseFileInto(GetDlgItem(IDC_OVERLAY_STYLE), choice, codePage_);
}

}  // namespace tavrik
