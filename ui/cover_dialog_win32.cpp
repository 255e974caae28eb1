#include "ui/cover_dialog_win32.h"

#include "common/cp932_texts.h"
#include "resources/resource_ids.h"
#include "ui/dialog_controls_win32.h"

namespace tavrik {

namespace {
// The edit controls and the settings' texts they show.
struct Field {
  int control;
  AnsiOrWide& (*value)(CaptionSettings&);
};
constexpr Field kFields[] = {
    {IDC_COVER_FILE, [](CaptionSettings& s) -> AnsiOrWide& { return s.cover.file; }},
    {IDC_COVER_NONE, [](CaptionSettings& s) -> AnsiOrWide& { return s.cover.none; }},
    {IDC_COVER_OBS_SOURCE, [](CaptionSettings& s) -> AnsiOrWide& { return s.obs.coverSource; }},
};
}  // namespace

CCoverDlg::CCoverDlg(const CaptionSettings& settings, HWND parent) : Dialog(IDD_COVER, parent), m_settings(settings) {}

const Dialog::MessageMap& CCoverDlg::messageMap() const {
  static const MessageMap map = {onClicked(IDC_COVER_FILE_BROWSE, &CCoverDlg::OnBrowseFile),
                                 onClicked(IDC_COVER_NONE_BROWSE, &CCoverDlg::OnBrowseNone)};
  return map;
}

BOOL CCoverDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  for (const Field& field : kFields) setWindowText(GetDlgItem(field.control), field.value(m_settings), codePage_);
  const bool onPage = equalsAscii(m_settings.overlay.cover, "1");
  CheckDlgButton(window(), IDC_COVER_ON_PAGE, onPage ? BST_CHECKED : BST_UNCHECKED);
  return TRUE;
}

void CCoverDlg::OnOK() {
  for (const Field& field : kFields)
    field.value(m_settings) = narrowedWherePossible(wholeWindowText(GetDlgItem(field.control)), codePage_);
  const bool onPage = IsDlgButtonChecked(window(), IDC_COVER_ON_PAGE) == BST_CHECKED;
  // A key the user never turned on stays out of the file.
  if (onPage || !m_settings.overlay.cover.empty()) m_settings.overlay.cover = AnsiOrWide(onPage ? "1" : "0");
  Dialog::OnOK();
}

void CCoverDlg::OnBrowseFile() {
  // "cover" typed there becomes cover.png.
  FileChoice choice;
  choice.owner = window();
  choice.filter = texts::kPictureFilter;
  choice.save = true;
  choice.defaultExtension = u"png";
  chooseFileInto(GetDlgItem(IDC_COVER_FILE), choice, codePage_);
}

void CCoverDlg::OnBrowseNone() {
  FileChoice choice;
  choice.owner = window();
  choice.filter = texts::kPictureFilter;
  chooseFileInto(GetDlgItem(IDC_COVER_NONE), choice, codePage_);
}

}  // namespace tavrik
