#include "editor/win32/find_color_page.h"

#include <memory>

#include "editor/codegen.h"
#include "editor/condition_trial.h"
#include "editor/texts.h"
#include "editor/win32/find_page_util.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"
#include "res/find_color_page.h"
#include "tools/tool_logic.h"
#include "ui/controls.h"

namespace tora {

namespace t = editor_texts;

void FindColorPage::OnPageCreated() {
  SetItemText(IDC_FC_POSITION, t::kPositionPrompt);
  FillCombo(Item(IDC_FC_OPERATOR), t::kOperatorItems);
  FillCombo(Item(IDC_FC_MODE), t::kModeItems);
  FillCombo(Item(IDC_FC_TOLERANCE), t::kToleranceItems);
  FillCombo(Item(IDC_FC_RANGE), t::kRangeItems);
  // Point lists of any length.
  SendMessageW(Item(IDC_FC_POINTS), EM_SETLIMITTEXT, 0, 0);
  OnModeChanged();
}

void FindColorPage::OnEditorClosing() {
  trial_.Cancel();
  picker_.Destroy();
}

INT_PTR FindColorPage::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (OnCommand(LOWORD(wparam), HIWORD(wparam))) return TRUE;
      break;
    case WM_TIMER:
      if (trial_.OnTimer(wparam)) return TRUE;
      break;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) == Item(IDC_FC_SWATCH) && swatch_.get())
        return reinterpret_cast<INT_PTR>(swatch_.get());
      break;
    default:
      break;
  }
  return EditorPage::HandleMessage(message, wparam, lparam);
}

INT_PTR FindColorPage::OnCommand(WORD id, WORD code) {
  if (id == IDC_FC_MODE) {
    if (code == CBN_SELCHANGE) OnModeChanged();
    return TRUE;
  }
  if (id == IDC_FC_CHOICES) {
    if (code == CBN_DROPDOWN) FillColorActionChoices();
    return TRUE;
  }
  if (code != BN_CLICKED) return FALSE;
  switch (id) {
    case IDC_FC_ADD: AddColorPoint(); return TRUE;
    case IDC_FC_CLEAR: ClearPoints(); return TRUE;
    case IDC_FC_PICK_RECT: ShowRectPicker(); return TRUE;
    case IDC_FC_CONDITION: GenerateColorCondition(); return TRUE;
    case IDC_FC_ACTION: GenerateColorAction(); return TRUE;
    case IDC_FC_INSERT: InsertColorActionRow(); return TRUE;
    case IDC_FC_TEST: TestCondition(); return TRUE;
    default: return FALSE;
  }
}

void FindColorPage::TakePoint(const std::string& position, uint32_t colour) {
  if (!exists()) return;
  SetItemText(IDC_FC_POSITION, position);
  SetItemText(IDC_FC_COLOUR, ColourText(colour));
  AddColorPoint();
  swatch_.reset(CreateSolidBrush(static_cast<COLORREF>(colour & 0xFFFFFFu)));
  InvalidateRect(Item(IDC_FC_SWATCH), nullptr, TRUE);
}

void FindColorPage::AddColorPoint() {
  std::string position, colour;
  if (!Field(IDC_FC_POSITION, t::kFieldColourPosition, position) || !Field(IDC_FC_COLOUR, t::kFieldColour, colour))
    return;
  const PageEdit edit = tora::AddColorPoint(position, SelectedText(Item(IDC_FC_OPERATOR)), colour);
  if (!AcceptEdit(edit, BoxOwner())) return;
  HWND list = Item(IDC_FC_POINTS);
  const LRESULT end = GetWindowTextLengthW(list);
  SendMessageW(list, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageW(list, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(edit.text).c_str()));
  // The caret would stand on the empty line after the row: the new row is
  // the one to keep in sight.
  SendMessageW(list, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageW(list, EM_SCROLLCARET, 0, 0);
}

void FindColorPage::ClearPoints() { SetItemText(IDC_FC_POINTS, std::string()); }

void FindColorPage::OnModeChanged() {
  EnableRangeControls(hwnd(), SelectedText(Item(IDC_FC_MODE)) != t::kModeFixed, IDC_FC_RANGE_LABEL, IDC_FC_RANGE,
                      IDC_FC_PICK_RECT);
}

void FindColorPage::ShowRectPicker() {
  const auto chosen = [this](const Rect& r) {
    SetItemText(IDC_FC_RANGE, RectText(r.left, r.top, r.right, r.bottom));
  };
  if (!picker_.Show(instance_, hwnd(), chosen)) Tell(t::kDialogCreateFailed);
}

bool FindColorPage::ReadForm(bool actions, ColorForm& form) const {
  form.mode = SelectedText(Item(IDC_FC_MODE));
  form.code_box = host().Code();
  // Only the fields the call is made of: a range in fixed mode or the
  // repeat list of a condition goes nowhere.
  return Field(IDC_FC_POINTS, t::kFieldPointList, form.point_list) && Field(IDC_FC_NAME, t::kFieldDescription, form.name) &&
         Field(IDC_FC_TOLERANCE, t::kFieldTolerance, form.tolerance) &&
         (form.mode == t::kModeFixed || Field(IDC_FC_RANGE, t::kFieldRange, form.range)) &&
         (!actions || host().RepeatListField(t::kFieldRepeatList, form.repeat_list));
}

void FindColorPage::GenerateColorCondition() {
  ColorForm form;
  if (!ReadForm(false, form)) return;
  const PageEdit edit = tora::GenerateColorCondition(form);
  if (!AcceptEdit(edit, BoxOwner())) return;
  host().PrependCode(edit.text);
  host().ClearRepeatList();
  SetItemText(IDC_FC_POINTS, std::string());
  SetItemText(IDC_FC_NAME, std::string());
}

void FindColorPage::GenerateColorAction() {
  ColorForm form;
  if (!ReadForm(true, form)) return;
  const PageEdit edit = tora::GenerateColorAction(form);
  if (!AcceptEdit(edit, BoxOwner())) return;
  if (!GoOnWithRelativeClick(form.repeat_list, form.mode == t::kModeFixed, BoxOwner())) return;
  host().PrependCode(edit.text);
  host().ClearRepeatList();
  SetItemText(IDC_FC_POINTS, std::string());
  SetItemText(IDC_FC_NAME, std::string());
}

void FindColorPage::TestCondition() {
  if (trial_.pending()) return;
  ColorForm form;
  if (!ReadForm(false, form)) return;
  auto condition = std::make_unique<ScreenCondition>();
  if (!AcceptEdit(ColorTrialCondition(form, Win32Screen().ScreenSize(), *condition), BoxOwner())) return;
  trial_.Start(hwnd(), host(), std::move(condition));
}

void FindColorPage::FillColorActionChoices() {
  ReplaceItems(Item(IDC_FC_CHOICES), ColorActionChoices(host().Code()));
}

void FindColorPage::InsertColorActionRow() {
  std::string choice;
  if (!Field(IDC_FC_CHOICES, t::kColourAction, choice)) return;
  const PageEdit edit = ColorActionRow(choice, host().Code());
  if (AcceptEdit(edit, BoxOwner())) host().AppendToRepeatList(edit.text);
}

}  // namespace tora
