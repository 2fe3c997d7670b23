// The rows the key, mouse and other pages and the mouse recorder add to the
// editor's repeat list, and the choices behind them. Pure text logic over
// GBK; the page windows only read their controls, call these and write the
// results back. Texts of any length are kept whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tora {

// A row for the repeat list, or why there is none.
struct PageRow {
  std::string message;  // empty when the row was built
  std::string row;      // one or more lines, each ended by "},\r\n"
};

// --- Key page ---

struct KeyRowInput {
  std::string mode;       // "按键", "按下", "弹起" or anything typed
  std::string keys[4];    // main key, then combination keys 1 to 3
  std::string pause;      // seconds, as typed
};

// {"mode","main+c1+c2+c3,pause"}, with the empty combination keys left out.
// Refused when the main key is empty, the mode is none of the three, a key
// cannot be written in a row ("+", "," and "Num +" hold the row's own
// separators) or names no key as the script reads it, or the pause is no
// number of seconds. The key "\" is escaped so that it reads back.
PageRow BuildKeyRow(const KeyRowInput& in);

// One low-level keyboard event as key capture sees it.
enum class KeyEventKind { KeyDown, SysKeyDown, Other };
struct KeyCaptureEvent {
  KeyEventKind kind = KeyEventKind::Other;
  int32_t code = 0;  // virtual-key code
  bool shift_held = false, ctrl_held = false, alt_held = false;
};
struct KeyCaptureOutcome {
  bool set_text = false;  // the target box's text becomes text
  std::string text;
  bool swallow = false;   // the event goes no further
};

// The modifiers key capture has seen pressed and not yet released. Key
// capture swallows the key-downs, so the system's own key state never hears
// of a Shift, Ctrl or Alt pressed while a key box has the focus; the hook
// keeps its own record beside it. Left, right and plain codes count alike.
class HeldModifiers {
 public:
  void Reset() { shift_ = ctrl_ = alt_ = false; }
  // A key-down (down) or key-up of code.
  void Note(int32_t code, bool down);
  bool shift() const { return shift_; }
  bool ctrl() const { return ctrl_; }
  bool alt() const { return alt_; }

 private:
  bool shift_ = false, ctrl_ = false, alt_ = false;
};

// What key capture does with an event while a key box may be its target:
// a key-down sets the box to "Shift", "Ctrl" (Shift tested first) or the
// key's name ("" when it has none) and is swallowed; a system key-down with
// Alt held sets "Alt" and passes on; everything else passes on untouched.
KeyCaptureOutcome KeyCapture(const KeyCaptureEvent& event, bool has_target);

// --- Mouse page ---

struct MouseRowInput {
  bool recording = false;
  std::string kind;
  std::string position;    // "x,y" or anything typed
  std::string coord_type;  // the chosen item: "绝对" or "相对(条件返回)"
  std::string pause;
};

// {"kind","position,coord,pause"}, with "相对(条件返回)" written "相对".
// Refusals in this order: recording, no kind, no position, the untouched
// position text "按[F11]", no pause; then a kind that is none of the
// eleven, a position that is not two whole numbers, a pause that is no
// number of seconds.
PageRow BuildMouseRow(const MouseRowInput& in);

// The position box's new text when the coordinate type changes to item:
// "0,0" for "相对(条件返回)"; nothing for any other item.
std::optional<std::string> PositionForCoordType(const std::string& item);

// The recorder's text: the two halves of each recorded row, and what a stop
// does to the repeat list.
class MouseRecorder {
 public:
  // A recording starts: no click yet.
  void Start() { has_click_ = false; }

  // A left (right == false) or right button release at (x, y), at tick now:
  // the text to append to the repeat list, which is the closing half of
  // the previous click's row (its pause in whole seconds until now) when
  // there was one, then this click's opening half.
  std::string Click(bool right, int32_t x, int32_t y, uint32_t now);

  // A recording stops: no click is open any more.
  void Stop() { has_click_ = false; }

 private:
  bool has_click_ = false;
  uint32_t last_click_ = 0;
};

// Stopped with Ctrl+F11: the text that closes the open row with pause 0,
// appended when the repeat list is not empty ("" when it is).
std::string HotkeyStopText(bool repeat_list_empty);

// Stopped with the button, whose own click opened the last row: the list
// keeps its lines but the last, each with its line break; this is the
// length it keeps (the start of the last line, 0 for one line). Lines end
// in CR LF, as the edit control holds them.
template <typename Text>
size_t ButtonStopKeptLength(const Text& repeat_list) {
  using Char = typename Text::value_type;
  const Char crlf[] = {Char('\r'), Char('\n'), Char(0)};
  const size_t at = repeat_list.rfind(crlf);
  return at == Text::npos ? 0 : at + 2;
}

// --- Other page ---

// The pause check of both rows: "" when the pause passes, else the message.
// It passes when its leading number is above 0 or it is exactly "0".
std::string CheckPause(const std::string& pause);

// {"粘贴文字","text,pause"} then {"按键","Ctrl+V,1"}: the text's line
// breaks (CR LF, or a lone CR or LF) are written \r\n, its commas, double
// quotes and apostrophes as their full-width look-alikes, and every
// backslash byte escaped. A text holding the four characters \r\n is
// refused (the reader would make them a line break), and so is a pause
// that is no number in full.
PageRow BuildPasteRows(const std::string& text, const std::string& pause);

// {"刷新网址","address,pause"}: comma and double quote of the address
// written %2C and %22, so that it arrives whole; the rest as typed.
PageRow BuildAddressRow(const std::string& address, const std::string& pause);

}  // namespace tora
