// Code the editor writes into the code box, and what it reads back from it.
// All texts are GBK.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tora {

// The boxes the repeat-code button reads.
struct RepeatCodeInput {
  bool recording = false;    // mouse recording is still on
  std::string interval;      // repeat interval, put in the call as typed
  std::string count;         // repeat count; "无限" means 0 (endless)
  std::string repeat_list;   // the action rows, one a line
  std::string condition;     // chosen condition call, may be empty
  std::string window;        // chosen window call, may be empty
  std::string description;   // names the action table; may be empty
  std::string code_box;      // the whole code box text
  bool priority = false;     // the priority box is ticked
};

struct RepeatCodeResult {
  std::string message;   // empty when the code was added, else why not
  std::string code_box;  // the new code box text (unchanged on a message)
};

// Appends an action table built from the repeat list and the repeat call that
// runs it to the code box. The table is named after the description (spaces
// removed) or, without one, after the code box's line count. On success the
// window also empties the repeat list, description, condition and window boxes.
RepeatCodeResult AddRepeatCode(const RepeatCodeInput& in);

// Lines of a text as a Windows edit control counts them: 1 + the number of
// CR LF pairs (an empty text is one line, and so is the empty line after a
// final break).
int32_t LineCount(const std::string& box);

// Lines as the edit control shows them: split at CR LF, a last line without
// a break included. A text ending in a break gives an empty last line.
std::vector<std::string> BoxLines(const std::string& box);

// True when the text can stand in a Lua name after a prefix such as "动作_":
// ASCII letters, digits, underscores and GBK characters (empty is fine).
bool IsNameText(const std::string& text);

// The condition calls ("找颜色点条件(...)" and "找图像条件(...)") and the
// window calls ("窗口操作(...)") the code box defines, for the choice boxes:
// each such line up to its first comma, quotes removed, closed with ")".
std::vector<std::string> ConditionChoices(const std::string& code_box);
std::vector<std::string> WindowChoices(const std::string& code_box);

// The screen position an action row or colour-point row names.
struct PositionTarget {
  std::string x_text, y_text;  // as written in the line
  int32_t x = 0, y = 0;        // their leading integers (0 when none)
};

// Reads the position from a code box line: an action row {"kind","x,y,..."}
// or a colour-point row {x,y,...}. Other lines give nothing.
std::optional<PositionTarget> ParsePositionLine(const std::string& line);

// "x,y = 0x<colour>" for the position-colour test.
std::string PositionColourResult(const PositionTarget& target, uint32_t pixel);
// "x,y"
std::string PositionText(int32_t x, int32_t y);
// Lower-case hex without prefix.
std::string ColourText(uint32_t colour);

}  // namespace tora
