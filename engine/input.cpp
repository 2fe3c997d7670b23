#include "engine/input.h"

#include "engine/key_names.h"
#include "engine/text_util.h"
#include "engine/texts.h"

namespace tora {

namespace {

// The gap between pressing and releasing, so that the receiving program
// sees the key (or button) held for a moment.
constexpr uint32_t kPressGapMs = 10;

// Alt posted to a window only counts as a system key.
constexpr int32_t kAltCode = 18;

// A status line for the user, only while "显示动作" is ticked. The flag is
// read per event so that ticking it takes effect at once.
void ShowAction(Platform& platform, const std::string& line) {
  if (platform.user.ShowActions()) platform.user.InsertStatusTop(line);
}

std::string KeyLine(const char* prefix, int32_t code, const char* suffix) {
  return prefix + KeyCodeToName(code) + suffix;
}

void SendForegroundKeys(const std::vector<int32_t>& codes, KeyMode mode, Platform& platform) {
  if (mode == KeyMode::Press || mode == KeyMode::Down) {
    for (int32_t code : codes) {
      platform.input.KeyEvent(static_cast<uint8_t>(code & 0xFF), false);
      platform.trace.Trace(Format(texts::kDevKeyDown, code));
      ShowAction(platform, KeyLine(texts::kTraceDown, code, texts::kTraceForeground));
    }
  }
  platform.clock.Sleep(kPressGapMs);
  if (mode == KeyMode::Press || mode == KeyMode::Up) {
    // Released in the order pressed, not reversed.
    for (int32_t code : codes) {
      platform.input.KeyEvent(static_cast<uint8_t>(code & 0xFF), true);
      platform.trace.Trace(Format(texts::kDevKeyUp, code));
      ShowAction(platform, KeyLine(texts::kTraceUp, code, texts::kTraceForeground));
    }
  }
}

void SendBackgroundKeys(const std::vector<int32_t>& codes, KeyMode mode, WindowHandle window, Platform& platform) {
  // A combination goes as system keys throughout, its main key included,
  // so that the target program reads it as one chord.
  const bool combination = codes.size() > 1;
  // Window handles keep 32 significant bits on 64-bit Windows too.
  const auto handle = static_cast<unsigned>(window);
  if (mode == KeyMode::Press || mode == KeyMode::Down) {
    for (int32_t code : codes) {
      const bool system = combination || code == kAltCode;
      platform.input.PostKey(window, system ? KeyMessage::SysKeyDown : KeyMessage::KeyDown, code);
      platform.trace.Trace(Format(system ? texts::kDevPostSysKeyDown : texts::kDevPostKeyDown, handle, code));
      ShowAction(platform, KeyLine(system ? texts::kTraceComboDown : texts::kTraceDown, code,
                                   texts::kTraceBackground));
    }
  }
  platform.clock.Sleep(kPressGapMs);
  if (mode == KeyMode::Press || mode == KeyMode::Up) {
    for (int32_t code : codes) {
      const bool system = combination || code == kAltCode;
      platform.input.PostKey(window, system ? KeyMessage::SysKeyUp : KeyMessage::KeyUp, code);
      platform.trace.Trace(Format(system ? texts::kDevPostSysKeyUp : texts::kDevPostKeyUp, handle, code));
      ShowAction(platform, KeyLine(system ? texts::kTraceComboUp : texts::kTraceUp, code,
                                   texts::kTraceBackground));
    }
  }
}

// The button name a mouse status line starts with, chosen by the press word
// alone; a move or a release-only step has none.
const char* MouseName(uint32_t press) {
  switch (press) {
    case kMouseLeftDown: return texts::kRowLeftClick;
    case kMouseRightDown: return texts::kRowRightClick;
    case kMouseLeftDown | kMouseLeftUp: return texts::kRowLeftDouble;
    case kMouseMiddleDown: return texts::kRowMiddleClick;
    default: return "";
  }
}

}  // namespace

void SendKeys(const std::vector<int32_t>& codes, KeyMode mode, WindowHandle window, Platform& platform) {
  if (window == 0)
    SendForegroundKeys(codes, mode, platform);
  else
    SendBackgroundKeys(codes, mode, window, platform);
}

void SendMouse(uint32_t press, uint32_t release, int32_t x, int32_t y, Platform& platform) {
  platform.input.SetCursorPos(x, y);
  if (press != 0) platform.input.MouseEvent(press);
  platform.clock.Sleep(kPressGapMs);
  if (release != 0) platform.input.MouseEvent(release);
  if (platform.user.ShowActions())
    platform.user.InsertStatusTop(std::string(MouseName(press)) + texts::kTracePosition + std::to_string(x) +
                                  texts::kTracePositionSeparator + std::to_string(y) + texts::kTracePositionEnd);
}

bool PutClipboardText(const std::string& text, Platform& platform) { return platform.clipboard.PutText(text); }

}  // namespace tora
