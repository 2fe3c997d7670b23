#include "editor/page_rows.h"

#include "editor/field_text.h"
#include "editor/page_texts.h"
#include "editor/script_literal.h"
#include "engine/action_table.h"
#include "engine/key_names.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"

namespace tora {

namespace t = page_texts;

namespace {

// The paste text with each of its line ends (CR LF, or a lone CR or LF) as
// CR LF: the row writes it as the escape \r\n, which the clipboard then
// gets as a line break.
std::string JoinLines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
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

// An address with a comma, which would end the row's first field and cut
// it, and a double quote written as %XX, as a browser sends them anyway.
// Backslashes and spaces stay: a browser takes them as typed, and in the
// path of a page on disk an escape would name another file.
std::string EncodedAddress(const std::string& address) {
  std::string out;
  for (char c : address) {
    // Neither byte can be the second byte of a GBK character.
    if (c == ',') out += "%2C";
    else if (c == '"') out += "%22";
    else out += c;
  }
  return out;
}

bool IsMouseKind(const std::string& kind) {
  for (const char* known : t::kMouseKindItems)
    if (kind == known) return true;
  return false;
}

PageRow Refused(const std::string& message) { return PageRow{message, std::string()}; }

// The pause of a text row: the page's own check, then a number in full (a
// comma would add a field and "2s" says no number the row can keep).
std::string CheckTextPause(const std::string& pause) {
  std::string message = CheckPause(pause);
  if (message.empty() && !IsSeconds(pause)) message = t::kBadPause;
  return message;
}

}  // namespace

PageRow BuildKeyRow(const KeyRowInput& in) {
  if (in.keys[0].empty()) return Refused(t::kNoKey);
  if (in.mode != t::kKeyModeItems[0] && in.mode != t::kKeyModeItems[1] && in.mode != t::kKeyModeItems[2])
    return Refused(t::kBadKeyMode);
  std::string keys;
  for (int i = 0; i < 4; ++i) {
    const std::string& name = in.keys[i];
    if (name.empty()) continue;
    // Neither byte can be the second byte of a GBK character.
    if (name.find_first_of("+,") != std::string::npos)
      return Refused(Format(t::kKeyNotWritable, t::kKeyBoxNames[i], Excerpt(name).c_str()));
    if (const std::string problem = KeyNameWarning(name); !problem.empty())
      return Refused(Format(t::kKeyNotAKey, t::kKeyBoxNames[i], problem.c_str()));
    keys += (keys.empty() ? "" : "+") + name;
  }
  if (!IsSeconds(in.pause)) return Refused(t::kBadKeyPause);
  return PageRow{std::string(), RowText(in.mode, keys + "," + in.pause)};
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
  if (!IsMouseKind(in.kind)) return Refused(Format(t::kBadMouseKind, Excerpt(in.kind).c_str()));
  if (!IsWholeNumbers(in.position, 2)) return Refused(t::kBadMousePosition);
  if (!IsSeconds(in.pause)) return Refused(t::kBadMousePause);
  // The list holds two items; only the relative one is written otherwise.
  const char* coord = in.coord_type == t::kCoordRelativeItem ? t::kCoordRelativeWord : t::kCoordAbsoluteItem;
  return PageRow{std::string(), RowText(in.kind, in.position + "," + coord + "," + in.pause)};
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
  if (std::string message = CheckTextPause(pause); !message.empty()) return Refused(message);
  std::string joined = JoinLines(text);
  ReplaceAll(joined, ',', t::kFullWidthComma);
  ReplaceAll(joined, '"', t::kFullWidthQuote);
  ReplaceAll(joined, '\'', t::kFullWidthApostrophe);
  // The one text a paste row cannot carry: the reader takes these four
  // characters for the line break the row writes.
  if (PasteTextOf(joined) != joined) return Refused(t::kPasteTypedLineBreak);
  return PageRow{std::string(), RowText(t::kPasteKind, joined + "," + pause) + t::kPasteKeyRow};
}

PageRow BuildAddressRow(const std::string& address, const std::string& pause) {
  if (address.empty()) return Refused(t::kNoAddress);
  if (std::string message = CheckTextPause(pause); !message.empty()) return Refused(message);
  return PageRow{std::string(), RowText(t::kAddressKind, EncodedAddress(address) + "," + pause)};
}

}  // namespace tora
