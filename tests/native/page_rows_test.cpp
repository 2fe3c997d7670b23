// The rows of the key, mouse and other pages and of the mouse recorder: their
// text, their refusals, and that the script engine reads each kind back.
#include "editor/page_rows.h"

#include <gtest/gtest.h>

#include "editor/codegen.h"
#include "editor/page_texts.h"
#include "engine/text_util.h"
#include "script_fixture.h"

namespace tora {
namespace {

namespace t = page_texts;

KeyRowInput Keys(std::string mode, std::string k0, std::string k1, std::string k2, std::string k3, std::string pause) {
  return KeyRowInput{std::move(mode), {std::move(k0), std::move(k1), std::move(k2), std::move(k3)}, std::move(pause)};
}

TEST(KeyRow, FilledKeysInBoxOrderAndTheBackslashKeyEscaped) {
  EXPECT_EQ(BuildKeyRow(Keys("按键", "Ctrl", "V", "", "", "1")).row, "{\"按键\",\"Ctrl+V,1\"},\r\n");
  EXPECT_EQ(BuildKeyRow(Keys("按下", "A", "", "Shift", "Alt", ".5")).row, "{\"按下\",\"A+Shift+Alt,.5\"},\r\n");
  EXPECT_EQ(BuildKeyRow(Keys("弹起", "\\", "", "", "", "0")).row, "{\"弹起\",\"\\\\,0\"},\r\n");
  const PageRow refused = BuildKeyRow(Keys("按键", "", "V", "", "", "1"));
  EXPECT_EQ(refused.message, t::kNoKey);
  EXPECT_EQ(refused.row, "");
  // A mode, key or pause the script would not read as typed.
  EXPECT_EQ(BuildKeyRow(Keys(std::string(5000, 'm'), "A", "", "", "", "0")).message, t::kBadKeyMode);
  EXPECT_EQ(BuildKeyRow(Keys("按键", "A", "", "", "a", "0")).message,
            Format(t::kKeyNotAKey, "组合键3", Format(texts::kWarnKeyLowerCase, "a", "Num 1", 'A').c_str()));
  EXPECT_EQ(BuildKeyRow(Keys("按下", "A", "", "", "", "")).message, t::kBadKeyPause);
}

KeyCaptureEvent Event(KeyEventKind kind, int32_t code, bool shift = false, bool ctrl = false, bool alt = false) {
  return KeyCaptureEvent{kind, code, shift, ctrl, alt};
}

TEST(KeyCapture, KeyDownsNamedAndSwallowedAltPassesOn) {
  const KeyEventKind down = KeyEventKind::KeyDown;
  const struct {
    KeyCaptureEvent event;
    const char* text;
  } named[] = {{Event(down, 'A'), "A"},          {Event(down, 101), "Num 5"}, {Event(down, 40), "下"},
               {Event(down, 124), ""},  // F13 has no name
               {Event(down, 'C', false, true), "Ctrl"}, {Event(down, 'C', true, true), "Shift"}};
  for (const auto& c : named) {
    const KeyCaptureOutcome out = KeyCapture(c.event, true);
    EXPECT_TRUE(out.set_text && out.swallow && out.text == c.text) << c.text << " got " << out.text;
  }
  KeyCaptureOutcome out = KeyCapture(Event(KeyEventKind::SysKeyDown, 'X', false, false, true), true);
  EXPECT_TRUE(out.set_text && !out.swallow && out.text == "Alt");
  for (const KeyCaptureOutcome& none : {KeyCapture(Event(KeyEventKind::SysKeyDown, 121), true),
                                        KeyCapture(Event(down, 'A'), false), KeyCapture(Event(KeyEventKind::Other, 'A'), true)})
    EXPECT_FALSE(none.set_text || none.swallow);

  HeldModifiers held;  // the swallowed modifier downs are remembered by the hook
  held.Note(0xA2, true);
  EXPECT_TRUE(held.ctrl() && !held.shift() && !held.alt());
  held.Note(0x11, false);
  held.Note(0xA1, true);
  EXPECT_TRUE(held.shift() && !held.ctrl());
  held.Reset();
  EXPECT_FALSE(held.shift());
}

TEST(MouseRow, RowsAndRefusalsInThePartsOrder) {
  MouseRowInput in{false, "左键单击", "50,100", "绝对", "1"};
  EXPECT_EQ(BuildMouseRow(in).row, "{\"左键单击\",\"50,100,绝对,1\"},\r\n");
  in.coord_type = t::kCoordRelativeItem;
  EXPECT_EQ(BuildMouseRow(in).row, "{\"左键单击\",\"50,100,相对,1\"},\r\n");
  EXPECT_EQ(PositionForCoordType(t::kCoordRelativeItem), std::optional<std::string>("0,0"));
  EXPECT_EQ(PositionForCoordType(t::kCoordAbsoluteItem), std::nullopt);

  in = MouseRowInput{true, "", t::kPositionStart, "绝对", ""};
  EXPECT_EQ(BuildMouseRow(in).message, t::kStopMouseFirst);
  in.recording = false;
  EXPECT_EQ(BuildMouseRow(in).message, t::kNoMouseKind);
  in.kind = "鼠标移动";
  EXPECT_EQ(BuildMouseRow(in).message, t::kBadMousePosition);
  in.position = "";
  EXPECT_EQ(BuildMouseRow(in).message, t::kNoMousePosition);
  in.position = "1,2";
  EXPECT_EQ(BuildMouseRow(in).message, t::kNoMousePause);
  EXPECT_EQ(BuildMouseRow(in).row, "");
}

TEST(MouseRecorder, HalfRowsWholeSecondsAndBothStops) {
  MouseRecorder rec;
  rec.Start();
  std::string list = rec.Click(false, 100, 200, 50000);
  EXPECT_EQ(list, "{\"左键单击\",\"100,200,绝对,");
  list += rec.Click(true, 300, 400, 53700);
  list += HotkeyStopText(list.empty());
  EXPECT_EQ(list, "{\"左键单击\",\"100,200,绝对,3\"},\r\n{\"右键单击\",\"300,400,绝对,0\"},\r\n");
  EXPECT_EQ(HotkeyStopText(true), "");  // Ctrl+F11 before any click

  rec.Start();  // 999 ms is 0 s; a wrapped tick count still counts
  list = rec.Click(false, 1, 2, 0xFFFFFC00u);
  list += rec.Click(false, 3, 4, 999u - 1024u);
  list += rec.Click(true, 5, 6, 2100u);
  EXPECT_EQ(list, "{\"左键单击\",\"1,2,绝对,0\"},\r\n{\"左键单击\",\"3,4,绝对,2\"},\r\n{\"右键单击\",\"5,6,绝对,");
  // The stop button's own click opened the last row: a button stop drops it.
  list.resize(ButtonStopKeptLength(list));
  EXPECT_EQ(list, "{\"左键单击\",\"1,2,绝对,0\"},\r\n{\"左键单击\",\"3,4,绝对,2\"},\r\n");
  EXPECT_EQ(ButtonStopKeptLength(std::string("{\"左键单击\",\"1,1,绝对,")), 0u);
  EXPECT_EQ(ButtonStopKeptLength(std::wstring(3000, L'x') + L"\r\nopen"), 3002u);  // lines kept whole
}

TEST(OtherRows, PauseCheckPasteAndAddress) {
  for (const char* pass : {"0", "0.5", "3", "2s"}) EXPECT_EQ(CheckPause(pass), "") << pass;
  for (const char* bad : {"0.0", "-1", "abc"}) EXPECT_EQ(CheckPause(bad), t::kBadPause) << bad;
  EXPECT_EQ(CheckPause(""), t::kNoPause);

  EXPECT_EQ(BuildPasteRows("a,b\r\nc", "0").row, "{\"粘贴文字\",\"a，b\\r\\nc,0\"},\r\n{\"按键\",\"Ctrl+V,1\"},\r\n");
  EXPECT_EQ(BuildPasteRows("\"x\"'\\t\n", "2").row, std::string("{\"粘贴文字\",\"”x”’\\\\t\\r\\n,2\"},\r\n") + t::kPasteKeyRow);
  const std::string line(20000, 'y');  // any length, kept whole
  EXPECT_EQ(BuildPasteRows(line + "\r" + line, "1").row,
            "{\"粘贴文字\",\"" + line + "\\r\\n" + line + ",1\"},\r\n" + t::kPasteKeyRow);
  EXPECT_EQ(BuildPasteRows("", "").message, t::kNoPasteText);
  EXPECT_EQ(BuildPasteRows("x", "-1").message, t::kBadPause);
  EXPECT_EQ(BuildPasteRows("x", "2s").message, t::kBadPause);  // "2s" passes the page's own check

  EXPECT_EQ(BuildAddressRow("http://a.cn/?q=1,2", "0").row, "{\"刷新网址\",\"http://a.cn/?q=1%2C2,0\"},\r\n");
  EXPECT_EQ(BuildAddressRow("", "").message, t::kNoAddress);
  EXPECT_EQ(BuildAddressRow("x", "").message, t::kNoPause);
}

// One row of each kind, wrapped by "添加代码" and run by the script engine.
class PageRowsInEngine : public testing::ScriptFixture {};

TEST_F(PageRowsInEngine, EachKindOfRowReadsBack) {
  MouseRecorder rec;
  rec.Start();
  std::string recorded = rec.Click(true, 300, 400, 1000);
  recorded += HotkeyStopText(false);
  RepeatCodeInput in;
  in.interval = "1";
  in.count = "无限";
  in.repeat_list = BuildKeyRow(Keys("弹起", "\\", "", "", "Num 5", "0.5")).row +
                   BuildMouseRow(MouseRowInput{false, "左键单击", "0,0", t::kCoordRelativeItem, "1"}).row + recorded +
                   BuildPasteRows("a,b\r\n\"c'", "2").row + BuildAddressRow("http://example.com/x", "0").row;
  const RepeatCodeResult code = AddRepeatCode(in);
  ASSERT_EQ(Run(code.code_box), "") << code.code_box;

  const ActionList& list = *registry_.action_lists.Get(0);
  const StepType kinds[] = {StepType::Key,       StepType::Mouse, StepType::Mouse,
                            StepType::PasteText, StepType::Key,   StepType::OpenUrl};
  ASSERT_EQ(list.steps.size(), std::size(kinds));
  for (size_t i = 0; i < list.steps.size(); ++i) EXPECT_EQ(list.steps[i].type, kinds[i]) << i;
  const KeyAction& up = *registry_.key_steps.Get(0);
  EXPECT_EQ(up.mode, KeyMode::Up);
  EXPECT_EQ(up.keys, (std::vector<int32_t>{220, 101}));
  EXPECT_EQ(up.pause, 500);
  const MouseAction& relative = *registry_.mouse_steps.Get(0);
  EXPECT_EQ(relative.coord, CoordMode::Relative);
  EXPECT_EQ(relative.press, kMouseLeftDown);
  const MouseAction& right = *registry_.mouse_steps.Get(1);
  EXPECT_EQ(right.coord, CoordMode::Absolute);
  EXPECT_EQ(right.x * 1000 + right.y, 300400);
  EXPECT_EQ(right.press, kMouseRightDown);
  EXPECT_EQ(registry_.paste_text_steps.Get(0)->text, "a，b\r\n”c’");
  EXPECT_EQ(registry_.paste_text_steps.Get(0)->pause, 2000);
  EXPECT_EQ(registry_.key_steps.Get(1)->keys, (std::vector<int32_t>{17, 'V'}));
  EXPECT_EQ(registry_.open_url_steps.Get(0)->url, "http://example.com/x");
}

}  // namespace
}  // namespace tora
