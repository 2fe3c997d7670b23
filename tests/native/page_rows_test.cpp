// The rows of the key, mouse and other pages and of the mouse recorder: their
// text, their refusals, and that the script engine reads each kind back.
#include "editor/page_rows.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "editor/codegen.h"
#include "editor/page_texts.h"
#include "script_fixture.h"

namespace tora {
namespace {

namespace t = page_texts;

KeyRowInput Keys(const std::string& mode, const std::string& k0, const std::string& k1, const std::string& k2,
                 const std::string& k3, const std::string& pause) {
  KeyRowInput in;
  in.mode = mode;
  in.keys[0] = k0;
  in.keys[1] = k1;
  in.keys[2] = k2;
  in.keys[3] = k3;
  in.pause = pause;
  return in;
}

TEST(KeyRow, JoinsTheFilledKeysInBoxOrder) {
  EXPECT_EQ(BuildKeyRow(Keys("按键", "Ctrl", "V", "", "", "1")).row, "{\"按键\",\"Ctrl+V,1\"},\r\n");
  EXPECT_EQ(BuildKeyRow(Keys("按下", "A", "", "Shift", "Alt", "0.5")).row, "{\"按下\",\"A+Shift+Alt,0.5\"},\r\n");
  // Neither mode nor pause is checked.
  EXPECT_EQ(BuildKeyRow(Keys("", "下", "", "", "", "")).row, "{\"\",\"下,\"},\r\n");
  // Any length is kept.
  const std::string long_mode(5000, 'm');
  EXPECT_EQ(BuildKeyRow(Keys(long_mode, "A", "", "", "", "1")).row, "{\"" + long_mode + "\",\"A,1\"},\r\n");
  // The key "\" is escaped so that the Lua string holds it.
  EXPECT_EQ(BuildKeyRow(Keys("按键", "\\", "", "", "", "0")).row, "{\"按键\",\"\\\\,0\"},\r\n");
}

TEST(KeyRow, AnEmptyMainKeyIsRefused) {
  const PageRow r = BuildKeyRow(Keys("按键", "", "V", "", "", "1"));
  EXPECT_EQ(r.message, t::kNoKey);
  EXPECT_EQ(r.row, "");
}

KeyCaptureEvent Down(int32_t code, bool shift = false, bool ctrl = false) {
  KeyCaptureEvent e;
  e.kind = KeyEventKind::KeyDown;
  e.code = code;
  e.shift_held = shift;
  e.ctrl_held = ctrl;
  return e;
}

TEST(KeyCapture, AKeyDownWritesItsNameAndIsSwallowed) {
  struct Case {
    KeyCaptureEvent event;
    const char* text;
  } cases[] = {
      {Down('A'), "A"}, {Down('7'), "7"}, {Down(101), "Num 5"}, {Down(40), "下"},
      {Down(124), ""},  // F13 has no name: the box is emptied
      {Down('C', false, true), "Ctrl"}, {Down('C', true, true), "Shift"}, {Down(0xA0, true), "Shift"},
      {Down(0xA2), ""},  // the left Ctrl code itself has no row
  };
  for (const Case& c : cases) {
    const KeyCaptureOutcome out = KeyCapture(c.event, true);
    EXPECT_TRUE(out.set_text) << c.text;
    EXPECT_EQ(out.text, c.text);
    EXPECT_TRUE(out.swallow) << c.text;
  }
}

TEST(KeyCapture, AltComesFromTheSystemKeyDownAndPassesOn) {
  KeyCaptureEvent e;
  e.kind = KeyEventKind::SysKeyDown;
  e.code = 'X';
  e.alt_held = true;
  KeyCaptureOutcome out = KeyCapture(e, true);
  EXPECT_TRUE(out.set_text);
  EXPECT_EQ(out.text, "Alt");
  EXPECT_FALSE(out.swallow);
  e.alt_held = false;  // F10 alone is a system key too
  out = KeyCapture(e, true);
  EXPECT_FALSE(out.set_text);
  EXPECT_FALSE(out.swallow);
}

TEST(KeyCapture, WithoutATargetOrForOtherEventsNothingHappens) {
  KeyCaptureOutcome out = KeyCapture(Down('A'), false);
  EXPECT_FALSE(out.set_text);
  EXPECT_FALSE(out.swallow);
  KeyCaptureEvent up;
  up.kind = KeyEventKind::Other;
  up.code = 'A';
  out = KeyCapture(up, true);
  EXPECT_FALSE(out.set_text);
  EXPECT_FALSE(out.swallow);
}

TEST(KeyCapture, ModifiersHeldAreTrackedFromTheirOwnEvents) {
  HeldModifiers held;
  held.Note(0xA2, true);  // left Ctrl down
  EXPECT_TRUE(held.ctrl());
  EXPECT_FALSE(held.shift());
  EXPECT_EQ(KeyCapture(Down('C', held.shift(), held.ctrl()), true).text, "Ctrl");
  held.Note(0x10, true);
  EXPECT_EQ(KeyCapture(Down('C', held.shift(), held.ctrl()), true).text, "Shift");
  held.Note(0xA1, false);  // right Shift up
  held.Note(0x11, false);
  held.Note('A', true);
  EXPECT_FALSE(held.shift() || held.ctrl() || held.alt());
  held.Note(0xA5, true);
  EXPECT_TRUE(held.alt());
  held.Reset();
  EXPECT_FALSE(held.alt());
}

MouseRowInput Mouse() {
  MouseRowInput in;
  in.kind = "左键单击";
  in.position = "50,100";
  in.coord_type = "绝对";
  in.pause = "1";
  return in;
}

TEST(MouseRow, KindPositionCoordAndPause) {
  EXPECT_EQ(BuildMouseRow(Mouse()).row, "{\"左键单击\",\"50,100,绝对,1\"},\r\n");
  MouseRowInput in = Mouse();
  in.coord_type = t::kCoordRelativeItem;
  in.position = "0,0";
  EXPECT_EQ(BuildMouseRow(in).row, "{\"左键单击\",\"0,0,相对,1\"},\r\n");
  in.kind = "随便";  // typed kinds and positions are written as they are
  in.position = "x";
  in.pause = "abc";
  EXPECT_EQ(BuildMouseRow(in).row, "{\"随便\",\"x,相对,abc\"},\r\n");
}

TEST(MouseRow, RefusalsInThePartsOrder) {
  MouseRowInput in;
  in.recording = true;
  in.position = t::kPositionStart;
  EXPECT_EQ(BuildMouseRow(in).message, t::kStopMouseFirst);
  in.recording = false;
  EXPECT_EQ(BuildMouseRow(in).message, t::kNoMouseKind);
  in.kind = "鼠标移动";
  in.position = "";
  EXPECT_EQ(BuildMouseRow(in).message, t::kNoMousePosition);
  in.position = t::kPositionStart;
  EXPECT_EQ(BuildMouseRow(in).message, t::kBadMousePosition);
  in.position = "1,2";
  const PageRow r = BuildMouseRow(in);
  EXPECT_EQ(r.message, t::kNoMousePause);
  EXPECT_EQ(r.row, "");
}

TEST(MouseRow, OnlyTheRelativeChoiceSetsThePosition) {
  EXPECT_EQ(PositionForCoordType(t::kCoordRelativeItem), std::optional<std::string>("0,0"));
  EXPECT_EQ(PositionForCoordType(t::kCoordAbsoluteItem), std::nullopt);
}

TEST(MouseRecorder, HalfRowsAndWholeSecondsBetweenClicks) {
  MouseRecorder rec;
  rec.Start();
  std::string list = rec.Click(false, 100, 200, 50000);
  EXPECT_EQ(list, "{\"左键单击\",\"100,200,绝对,");
  list += rec.Click(true, 300, 400, 53700);
  list += HotkeyStopText(list.empty());
  rec.Stop();
  EXPECT_EQ(list, "{\"左键单击\",\"100,200,绝对,3\"},\r\n{\"右键单击\",\"300,400,绝对,0\"},\r\n");

  rec.Start();  // a new recording: its first click closes nothing
  EXPECT_EQ(rec.Click(false, 1, 2, 60000), "{\"左键单击\",\"1,2,绝对,");
  EXPECT_EQ(rec.Click(false, 1, 2, 60999), "0\"},\r\n{\"左键单击\",\"1,2,绝对,");   // 999 ms is 0 s
  EXPECT_EQ(rec.Click(false, -5, 7, 5000), "-55\"},\r\n{\"左键单击\",\"-5,7,绝对,");  // signed, toward zero
  EXPECT_EQ(rec.Click(false, 0, 0, 2000u), "-3\"},\r\n{\"左键单击\",\"0,0,绝对,");
  // A tick count that wrapped still gives the time between.
  rec.Start();
  rec.Click(false, 0, 0, 0xFFFFF000u);
  EXPECT_EQ(rec.Click(false, 0, 0, 0x00001000u), "8\"},\r\n{\"左键单击\",\"0,0,绝对,");
  // A click at tick 0 is a click all the same.
  rec.Start();
  rec.Click(true, 9, 9, 0);
  EXPECT_EQ(rec.Click(true, 9, 9, 2500), "2\"},\r\n{\"右键单击\",\"9,9,绝对,");
}

TEST(MouseRecorder, AButtonStopDropsTheStopClicksOpenRow) {
  MouseRecorder rec;
  rec.Start();
  std::string list = rec.Click(false, 10, 20, 1000);
  list += rec.Click(true, 30, 40, 3500);
  list += rec.Click(false, 500, 600, 4200);  // the click on the stop button
  list.resize(ButtonStopKeptLength(list));
  EXPECT_EQ(list, "{\"左键单击\",\"10,20,绝对,2\"},\r\n{\"右键单击\",\"30,40,绝对,0\"},\r\n");

  EXPECT_EQ(ButtonStopKeptLength(std::string("{\"左键单击\",\"1,1,绝对,")), 0u);
  EXPECT_EQ(ButtonStopKeptLength(std::string()), 0u);
  // Lines of any length are kept whole, and wide text is cut the same way.
  const std::wstring wide = std::wstring(3000, L'x') + L"\r\n" + L"open";
  EXPECT_EQ(ButtonStopKeptLength(wide), 3002u);
}

TEST(MouseRecorder, AHotkeyStopClosesTheOpenRowOnlyInAList) {
  EXPECT_EQ(HotkeyStopText(true), "");
  EXPECT_EQ(HotkeyStopText(false), "0\"},\r\n");
}

TEST(PauseCheck, AsSpecified) {
  for (const char* pass : {"0", "0.5", "3", "2s", " 1"}) EXPECT_EQ(CheckPause(pass), "") << pass;
  for (const char* bad : {"0.0", "-1", "abc", "00", " 0"}) EXPECT_EQ(CheckPause(bad), t::kBadPause) << bad;
  EXPECT_EQ(CheckPause(""), t::kNoPause);
}

TEST(PasteRows, LinesJoinedAndCharactersReplaced) {
  EXPECT_EQ(BuildPasteRows("a,b\r\nc", "0").row,
            "{\"粘贴文字\",\"a，b\\r\\nc,0\"},\r\n{\"按键\",\"Ctrl+V,1\"},\r\n");
  EXPECT_EQ(BuildPasteRows("say \"hi\" 'x' \\t", "2").row,
            "{\"粘贴文字\",\"say ”hi” ’x’ \\t,2\"},\r\n{\"按键\",\"Ctrl+V,1\"},\r\n");
  // A final break, and lone breaks, leave no real line break behind.
  EXPECT_EQ(BuildPasteRows("a\r\n", "1").row.substr(0, 22), "{\"粘贴文字\",\"a\\r\\n,1\"}");
  EXPECT_EQ(BuildPasteRows("a\nb\rc", "1").row, std::string("{\"粘贴文字\",\"a\\r\\nb\\r\\nc,1\"},\r\n") + t::kPasteKeyRow);
  // Lines and texts of any length are kept whole.
  const std::string line(300, 'x');
  const std::string text = line + "\r\n" + std::string(20000, 'y');
  EXPECT_EQ(BuildPasteRows(text, "1").row,
            "{\"粘贴文字\",\"" + line + "\\r\\n" + std::string(20000, 'y') + ",1\"},\r\n" + t::kPasteKeyRow);
}

TEST(PasteRows, RefusalsInOrder) {
  EXPECT_EQ(BuildPasteRows("", "").message, t::kNoPasteText);
  EXPECT_EQ(BuildPasteRows("x", "").message, t::kNoPause);
  const PageRow r = BuildPasteRows("x", "0.0");
  EXPECT_EQ(r.message, t::kBadPause);
  EXPECT_EQ(r.row, "");
}

TEST(AddressRow, WrittenAsTyped) {
  EXPECT_EQ(BuildAddressRow("http://a.cn/?q=1,2", "0").row, "{\"刷新网址\",\"http://a.cn/?q=1,2,0\"},\r\n");
  EXPECT_EQ(BuildAddressRow("", "").message, t::kNoAddress);
  EXPECT_EQ(BuildAddressRow("x", "").message, t::kNoPause);
  EXPECT_EQ(BuildAddressRow("x", "-1").message, t::kBadPause);
}

// Every kind of row the pages write, wrapped by "添加代码" and run by the
// script engine, gives the steps it describes.
class PageRowsInEngine : public testing::ScriptFixture {};

TEST_F(PageRowsInEngine, EachKindOfRowReadsBack) {
  MouseRecorder rec;
  rec.Start();
  std::string recorded = rec.Click(false, 100, 200, 1000);
  recorded += rec.Click(true, 300, 400, 4700);
  recorded += HotkeyStopText(false);
  MouseRowInput relative = Mouse();
  relative.kind = "右键按下";
  relative.coord_type = t::kCoordRelativeItem;
  relative.position = "0,0";
  relative.pause = "0.5";

  RepeatCodeInput in;
  in.interval = "1";
  in.count = "无限";
  in.repeat_list = BuildKeyRow(Keys("按键", "Ctrl", "V", "", "", "1")).row +
                   BuildKeyRow(Keys("弹起", "\\", "", "", "Num 5", "0")).row + BuildMouseRow(Mouse()).row +
                   BuildMouseRow(relative).row + recorded + BuildPasteRows("a,b\r\n\"c'", "2").row +
                   BuildAddressRow("http://example.com/x", "0").row;
  const RepeatCodeResult code = AddRepeatCode(in);
  ASSERT_EQ(code.message, "");
  ASSERT_EQ(Run(code.code_box), "") << code.code_box;

  ASSERT_EQ(registry_.action_lists.Length(), 1);
  const ActionList& list = *registry_.action_lists.Get(0);
  const StepType kinds[] = {StepType::Key,   StepType::Key,       StepType::Mouse, StepType::Mouse, StepType::Mouse,
                            StepType::Mouse, StepType::PasteText, StepType::Key,   StepType::OpenUrl};
  ASSERT_EQ(list.steps.size(), std::size(kinds));
  for (size_t i = 0; i < list.steps.size(); ++i) EXPECT_EQ(list.steps[i].type, kinds[i]) << i;

  const KeyAction& ctrl_v = *registry_.key_steps.Get(0);
  EXPECT_EQ(ctrl_v.mode, KeyMode::Press);
  EXPECT_EQ(ctrl_v.keys, (std::vector<int32_t>{17, 'V'}));
  EXPECT_EQ(ctrl_v.pause, 1000);
  const KeyAction& up = *registry_.key_steps.Get(1);
  EXPECT_EQ(up.mode, KeyMode::Up);
  EXPECT_EQ(up.keys, (std::vector<int32_t>{220, 101}));

  const MouseAction& click = *registry_.mouse_steps.Get(0);
  EXPECT_EQ(click.x, 50);
  EXPECT_EQ(click.y, 100);
  EXPECT_EQ(click.coord, CoordMode::Absolute);
  EXPECT_EQ(click.pause, 1000);
  EXPECT_EQ(click.press, kMouseLeftDown);
  const MouseAction& rel = *registry_.mouse_steps.Get(1);
  EXPECT_EQ(rel.coord, CoordMode::Relative);
  EXPECT_EQ(rel.press, kMouseRightDown);
  EXPECT_EQ(rel.release, 0u);
  EXPECT_EQ(rel.pause, 500);
  const MouseAction& first = *registry_.mouse_steps.Get(2);
  EXPECT_EQ(first.x, 100);
  EXPECT_EQ(first.y, 200);
  EXPECT_EQ(first.pause, 3000);
  const MouseAction& second = *registry_.mouse_steps.Get(3);
  EXPECT_EQ(second.x, 300);
  EXPECT_EQ(second.press, kMouseRightDown);
  EXPECT_EQ(second.pause, 0);

  const PasteTextAction& paste = *registry_.paste_text_steps.Get(0);
  EXPECT_EQ(paste.text, "a，b\r\n”c’");
  EXPECT_EQ(paste.pause, 2000);
  const KeyAction& paste_key = *registry_.key_steps.Get(2);
  EXPECT_EQ(paste_key.keys, (std::vector<int32_t>{17, 'V'}));
  const OpenUrlAction& url = *registry_.open_url_steps.Get(0);
  EXPECT_EQ(url.url, "http://example.com/x");
  EXPECT_EQ(url.pause, 0);
}

}  // namespace
}  // namespace tora
