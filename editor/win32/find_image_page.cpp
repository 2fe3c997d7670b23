#include "editor/win32/find_image_page.h"

#include <commdlg.h>

#include <new>
#include <vector>

#include "editor/codegen.h"
#include "editor/condition_trial.h"
#include "editor/texts.h"
#include "editor/win32/find_page_util.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"
#include "res/find_image_page.h"
#include "tools/tool_logic.h"
#include "ui/controls.h"
#include "vision/bmp.h"

namespace tora {

namespace t = editor_texts;

namespace {

// A box without owner and with an empty caption.
void Say(const char* gbk) { MessageBoxW(nullptr, Widen(gbk).c_str(), L"", MB_OK); }

}  // namespace

FindImagePage::~FindImagePage() { CloseCut(); }

void FindImagePage::OnPageCreated() {
  FillCombo(Item(IDC_FI_MODE), t::kModeItems);
  FillCombo(Item(IDC_FI_RANGE), t::kRangeItems);
  FillCombo(Item(IDC_FI_PERCENT), t::kPercentItems);
  OnModeChanged();
}

void FindImagePage::OnEditorClosing() {
  trial_.Cancel();
  picker_.Destroy();
  CloseCut();
}

void FindImagePage::CloseCut() {
  if (cut_) cut_->Destroy();
  cut_.reset();
}

INT_PTR FindImagePage::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (OnCommand(LOWORD(wparam), HIWORD(wparam))) return TRUE;
      break;
    case WM_TIMER:
      if (trial_.OnTimer(wparam)) return TRUE;
      break;
    default:
      break;
  }
  return EditorPage::HandleMessage(message, wparam, lparam);
}

INT_PTR FindImagePage::OnCommand(WORD id, WORD code) {
  if (id == IDC_FI_MODE) {
    if (code == CBN_SELCHANGE) OnModeChanged();
    return TRUE;
  }
  if (id == IDC_FI_CHOICES) {
    if (code == CBN_DROPDOWN) FillImageActionChoices();
    return TRUE;
  }
  if (code != BN_CLICKED) return FALSE;
  switch (id) {
    case IDC_FI_OPEN: OpenImageFile(); return TRUE;
    case IDC_FI_CUT: CutScreen(); return TRUE;
    case IDC_FI_PICK_RECT: ShowRectPicker(); return TRUE;
    case IDC_FI_CONDITION: GenerateImageCondition(); return TRUE;
    case IDC_FI_ACTION: GenerateImageAction(); return TRUE;
    case IDC_FI_INSERT: InsertImageActionRow(); return TRUE;
    case IDC_FI_TEST: TestCondition(); return TRUE;
    default: return FALSE;
  }
}

void FindImagePage::OnModeChanged() {
  // The position box stays usable in both modes.
  EnableRangeControls(hwnd(), SelectedText(Item(IDC_FI_MODE)) != t::kModeFixed, IDC_FI_RANGE_LABEL, IDC_FI_RANGE,
                      IDC_FI_PICK_RECT);
}

void FindImagePage::OpenImageFile() {
  FileChoice choice;
  choice.filter = t::kBmpFilter;
  choice.flags = OFN_HIDEREADONLY;
  const std::optional<std::string> path = ChooseFile(choice);
  if (!path) return;
  char magic[2] = {};
  DWORD got = 0;
  BOOL read = FALSE;
  {
    const KernelHandle file(CreateFileW(Widen(*path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      Say(t::kImageReadError);
      return;
    }
    read = ::ReadFile(file.get(), magic, 2, &got, nullptr);
  }
  // An empty file cannot be read as a picture at all.
  if (!read || got == 0) {
    Say(t::kImageReadError);
    return;
  }
  if (got < 2 || magic[0] != 'B' || magic[1] != 'M') {
    Say(t::kOnlyBmp);
    return;
  }
  SetItemText(IDC_FI_PATH, DoubledBackslashes(*path));
}

void FindImagePage::CutScreen() {
  // Each cut is a new overlay; one still open goes first.
  CloseCut();
  cut_ = std::make_shared<ScreenCut>();
  // The picture's path, ready for a script's string, and where it was cut.
  const auto saved = [this](const std::string& path, Point top_left) {
    SetItemText(IDC_FI_PATH, DoubledBackslashes(path));
    SetItemText(IDC_FI_POSITION, PositionText(top_left.x, top_left.y));
  };
  if (!cut_->Open(instance_, hwnd(), saved)) Tell(t::kDialogCreateFailed);
}

void FindImagePage::ShowRectPicker() {
  const auto chosen = [this](const Rect& r) {
    SetItemText(IDC_FI_RANGE, RectText(r.left, r.top, r.right, r.bottom));
  };
  if (!picker_.Show(instance_, hwnd(), chosen)) Tell(t::kDialogCreateFailed);
}

bool FindImagePage::ReadForm(bool actions, ImageForm& form) const {
  form.mode = SelectedText(Item(IDC_FI_MODE));
  form.code_box = host().Code();
  // Only the fields the call is made of.
  const bool moving = form.mode != t::kModeFixed;
  return Field(IDC_FI_NAME, t::kFieldDescription, form.name) && Field(IDC_FI_PATH, t::kFieldImagePath, form.path) &&
         (moving || Field(IDC_FI_POSITION, t::kFieldFixedPosition, form.position)) &&
         (!moving || Field(IDC_FI_RANGE, t::kFieldRange, form.range)) &&
         Field(IDC_FI_PERCENT, t::kFieldPercent, form.percent) &&
         (!actions || host().RepeatListField(t::kFieldRepeatList, form.repeat_list));
}

void FindImagePage::GenerateImageCondition() {
  ImageForm form;
  if (!ReadForm(false, form)) return;
  const PageEdit edit = tora::GenerateImageCondition(form);
  if (!AcceptEdit(edit, BoxOwner())) return;
  host().PrependCode(edit.text);
  SetItemText(IDC_FI_NAME, std::string());
}

void FindImagePage::GenerateImageAction() {
  ImageForm form;
  if (!ReadForm(true, form)) return;
  const PageEdit edit = tora::GenerateImageAction(form);
  if (!AcceptEdit(edit, BoxOwner())) return;
  if (!GoOnWithRelativeClick(form.repeat_list, form.mode == t::kModeFixed, BoxOwner())) return;
  host().PrependCode(edit.text);
  host().ClearRepeatList();
  SetItemText(IDC_FI_NAME, std::string());
}

void FindImagePage::TestCondition() {
  if (trial_.pending()) return;
  ImageForm form;
  if (!ReadForm(false, form)) return;
  auto condition = std::make_unique<ScreenCondition>();
  PictureTrial picture;
  if (!AcceptEdit(ImageTrialCondition(form, Win32Screen().ScreenSize(), *condition, picture), BoxOwner())) return;
  // The picture as the script would read it now: it may have changed or
  // gone since it was chosen. One too big for the memory left is said as
  // one that cannot be read.
  Win32Files files;
  Win32Images images;
  BmpError error = BmpError::kReadError;
  try {
    Frame rendered;
    error = LoadBmp(picture.path, files, images, rendered);
    if (error == BmpError::kNone) SampleTrialPicture(rendered, picture, *condition);
  } catch (const std::bad_alloc&) {
    error = BmpError::kReadError;
  }
  if (error != BmpError::kNone) {
    // A path no file can have is named only by its start.
    const std::string named = picture.path.size() <= kMaxBmpPathBytes ? picture.path : Excerpt(picture.path);
    Tell(Format(error == BmpError::kNotBmp ? t::kTrialPictureNotBmp : t::kTrialPictureUnreadable, named.c_str()));
    return;
  }
  trial_.Start(hwnd(), host(), std::move(condition));
}

void FindImagePage::FillImageActionChoices() {
  ReplaceItems(Item(IDC_FI_CHOICES), ImageActionChoices(host().Code()));
}

void FindImagePage::InsertImageActionRow() {
  std::string choice;
  if (!Field(IDC_FI_CHOICES, t::kImageAction, choice)) return;
  const PageEdit edit = ImageActionRow(choice, host().Code());
  if (AcceptEdit(edit, BoxOwner())) host().AppendToRepeatList(edit.text);
}

}  // namespace tora
