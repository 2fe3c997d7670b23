// The window page's text logic: the item text that names a window in its
// list, reading it back, and the 窗口操作 call it writes. All texts are GBK.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/tool_logic.h"

namespace tora {

// "(ID:<handle>|<class>) <title>", the handle in decimal. ItemHandle (with
// the image tool's items) reads the handle back.
std::string WindowItemText(ItemHandleValue handle, const std::string& class_name, const std::string& title);

// An item text taken apart. Only a text in the item form gives one, so a
// title typed by hand never names some window by accident.
struct WindowItem {
  ItemHandleValue handle = 0;
  std::string class_name;
  std::string title;
};
std::optional<WindowItem> ParseWindowItem(const std::string& text);

// The window argument of the call: the class name or the title of an item
// text; a text typed by hand is taken whole.
std::string WindowArgument(const std::string& text, bool use_class);

// The fields of the page and the editor boxes the call is made of.
struct WindowCallInput {
  std::string window_text;  // the window box (1041)
  bool use_class = false;   // "插入窗口类名"
  std::string corner;       // the corner list (1054)
  bool topmost = false;     // "置顶层"
  bool keep_size = false;   // "不固定窗口大小"
  std::string width;        // 1077
  std::string height;       // 1128
  std::string description;  // 1124, the rule's name
  std::string code_box;     // the editor's code, for the line count
  std::string interval;     // the editor's interval box
};

struct WindowCallResult {
  std::string message;  // why nothing was written, when the user must hear it
  std::string call;     // the call, ended by two line breaks; empty when none
};

// The 窗口操作 call to put in front of the code. Nothing (and no message)
// when the window box is empty or names no title or class; a message when
// the interval box is empty or no number of seconds, or width or height no
// whole number.
WindowCallResult WindowOperationCall(const WindowCallInput& in);

}  // namespace tora
