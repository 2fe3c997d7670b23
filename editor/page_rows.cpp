#include "editor/page_rows.h"

#include "editor/page_texts.h"
#include "engine/key_names.h"
#include "engine/text_util.h"

namespace tora {

namespace t = page_texts;

namespace {

// A key name inside the row's Lua string: the key "\" would otherwise start
// an escape sequence and the script would not load.
std::string QuotedKeyName(const std::string& name) {
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    if (IsGbkPairAt(name, i)) {
      out.append(name, i++, 2);
      continue;
    }
    if (name[i] == '\\' || name[i] == '"') out += '\\';
    out += name[i];
  }
  return out;
}

// The paste text's lines joined with the four-character escape: CR LF, a
// lone CR and a lone LF each end a line.
std::string JoinLines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += t::kLineBreakEscape;
    } else if (text[i] == '\n') {
      out += t::kLineBreakEscape;
    } else {
      out += text[i];
    }
  }
  return out;
}

void ReplaceAll(std::string& text, char from, const std::string& to) {
  std::string out;
  out.reserve(text.size());
  // None of the three bytes can be the second byte of a GBK character, so
  // a plain byte walk finds only the characters themselves.
  for (char c : text) {
    if (c == from) out += to;
    else out += c;
  }
  text.swap(out);
}

PageRow Refused(const char* message) { return PageRow{message, std::string()}; }

}  // namespace

PageRow BuildKeyRow(const KeyRowInput& in) {
  if (in.keys[0].empty()) return Refused(t::kNoKey);
  std::string row = "{\"" + in.mode + "\",\"" + QuotedKeyName(in.keys[0]);
  for (int i = 1; i < 4; ++i)
    if (!in.keys[i].empty()) row += "+" + QuotedKeyName(in.keys[i]);
  row += "," + in.pause + "\"},\r\n";
  return PageRow{std::string(), row};
}

void HeldModifiers::Note(int32_t code, bool down) {
  switch (code) {
    case 0x10: case 0xA0: case 0xA1: shift_ = down; break;  // Shift, left, right
    case 0x11: case 0xA2: case 0xA3: ctrl_ = down; break;   // Ctrl
    case 0x12: case 0xA4: case 0xA5: alt_ = down; break;    // Alt
    default: break;
  }
}

KeyCaptureOutcome KeyCapture(const KeyCaptureEvent& event, bool has_target) {
  KeyCaptureOutcome out;
  if (!has_target) return out;
  if (event.kind == KeyEventKind::KeyDown) {
    out.set_text = true;
    out.swallow = true;
    if (event.shift_held) out.text = t::kCaptureShift;
    else if (event.ctrl_held) out.text = t::kCaptureCtrl;
    else out.text = KeyCodeToName(event.code);
  } else if (event.kind == KeyEventKind::SysKeyDown && event.alt_held) {
    out.set_text = true;
    out.text = t::kCaptureAlt;
  }
  return out;
}

PageRow BuildMouseRow(const MouseRowInput& in) {
  if (in.recording) return Refused(t::kStopMouseFirst);
  if (in.kind.empty()) return Refused(t::kNoMouseKind);
  if (in.position.empty()) return Refused(t::kNoMousePosition);
  if (in.position == t::kPositionStart) return Refused(t::kBadMousePosition);
  if (in.pause.empty()) return Refused(t::kNoMousePause);
  const std::string coord = in.coord_type == t::kCoordRelativeItem ? t::kCoordRelativeWord : in.coord_type;
  return PageRow{std::string(), "{\"" + in.kind + "\",\"" + in.position + "," + coord + "," + in.pause + "\"},\r\n"};
}

std::optional<std::string> PositionForCoordType(const std::string& item) {
  if (item == t::kCoordRelativeItem) return std::string(t::kRelativePosition);
  return std::nullopt;
}

std::string MouseRecorder::Click(bool right, int32_t x, int32_t y, uint32_t now) {
  std::string text;
  if (has_click_) text = Format(t::kRecordedClose, static_cast<int32_t>(now - last_click_) / 1000);
  has_click_ = true;
  last_click_ = now;
  text += Format(right ? t::kRecordedRight : t::kRecordedLeft, x, y);
  return text;
}

std::string HotkeyStopText(bool repeat_list_empty) {
  return repeat_list_empty ? std::string() : std::string(t::kRecordedCloseByHotkey);
}

std::string CheckPause(const std::string& pause) {
  if (pause.empty()) return t::kNoPause;
  if (!(LeadingNumber(pause) > 0) && pause != "0") return t::kBadPause;
  return std::string();
}

PageRow BuildPasteRows(const std::string& text, const std::string& pause) {
  if (text.empty()) return Refused(t::kNoPasteText);
  if (std::string message = CheckPause(pause); !message.empty()) return PageRow{message, std::string()};
  std::string joined = JoinLines(text);
  ReplaceAll(joined, ',', t::kFullWidthComma);
  ReplaceAll(joined, '"', t::kFullWidthQuote);
  ReplaceAll(joined, '\'', t::kFullWidthApostrophe);
  return PageRow{std::string(), Format(t::kPasteRow, joined.c_str(), pause.c_str()) + t::kPasteKeyRow};
}

PageRow BuildAddressRow(const std::string& address, const std::string& pause) {
  if (address.empty()) return Refused(t::kNoAddress);
  if (std::string message = CheckPause(pause); !message.empty()) return PageRow{message, std::string()};
  return PageRow{std::string(), Format(t::kAddressRow, address.c_str(), pause.c_str())};
}

}  // namespace tora
