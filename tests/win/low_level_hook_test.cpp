// Hooks held by LowLevelHook: each handler hears its own hook's events, in
// the system's order, and what one keeps from the rest nobody else sees.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/win_test_util.h"
#include "ui/low_level_hook.h"

namespace tora {
namespace {

using test::PumpUntil;
using test::TestWindow;

void Press(BYTE vk) {
  keybd_event(vk, 0, 0, 0);
  keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
}

TEST(LowLevelHook, EachHolderHearsItsOwnHookAndKeepsWhatItSays) {
  TestWindow::Options o;
  o.class_name = L"ToraHookTarget";
  o.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  TestWindow window(o);
  ASSERT_TRUE(window.Focus());
  // Keys of an earlier test may still arrive: only X, Y and Z count.
  std::string heard;
  const auto listen = [&heard](char who, bool keep_y) {
    return [&heard, who, keep_y](WPARAM message, LPARAM event) {
      const DWORD vk = reinterpret_cast<const KBDLLHOOKSTRUCT*>(event)->vkCode;
      if (vk < 'X' || vk > 'Z') return false;
      if (message == WM_KEYDOWN) heard += std::string(1, who) + static_cast<char>(vk) + " ";
      return keep_y && vk == 'Y';
    };
  };
  LowLevelHook first, second;
  ASSERT_TRUE(first.Install(WH_KEYBOARD_LL, "first test hook", listen('1', false)));
  ASSERT_TRUE(second.Install(WH_KEYBOARD_LL, "second test hook", listen('2', true)));
  window.ClearMessages();
  Press('X');
  Press('Y');
  ASSERT_TRUE(PumpUntil([&] { return heard.size() >= 9; })) << heard;
  second.Remove();
  EXPECT_FALSE(second.installed());
  Press('Z');
  ASSERT_TRUE(PumpUntil([&] { return heard.size() >= 12; })) << heard;
  // The hook installed last hears first; Y never reaches the first hook.
  EXPECT_EQ(heard, "2X 1X 2Y 1Z ");
  const auto reached = [&window] {
    std::vector<WPARAM> keys;
    for (const test::LoggedMessage& m : window.Messages({WM_KEYDOWN}))
      if (m.wparam >= 'X' && m.wparam <= 'Z') keys.push_back(m.wparam);
    return keys;
  };
  EXPECT_TRUE(PumpUntil([&] { return reached().size() >= 2; }));
  EXPECT_EQ(reached(), (std::vector<WPARAM>{'X', 'Z'}));
}

}  // namespace
}  // namespace tora
