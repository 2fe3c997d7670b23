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
  // A yes-or-no question to ask before the code goes in (empty when there
  // is none): the code is written only on yes.
  std::string question;
};

// Appends an action table built from the repeat list and the repeat call that
// runs it to the code box. The table is named after the description (spaces
// removed) or, without one, after the code box's line count. Interval and
// count must be numbers and the rows rows. The condition and the window are
// "0" (empty, or the box's first entry), an entry of the box, or a name
// typed before the script declares it, written in the call form the task
// reads. A relative click that would count from the screen's corner, since
// the condition finds no position, brings a question. On success the window
// also empties the repeat list, description, condition and window boxes.
RepeatCodeResult AddRepeatCode(const RepeatCodeInput& in);

// Whether the rows click relative to a found point before a branch row
// (whose find action may find one) has run: a mouse row of four fields, the
// only ones the script runs, counts from the found point unless its third
// field says "绝对".
bool HasRelativeClick(const std::string& repeat_list);

// Lines of a text as a Windows edit control counts them: 1 + the number of
// CR LF pairs (an empty text is one line, and so is the empty line after a
// final break).
int32_t LineCount(const std::string& box);

// Lines as the edit control shows them: split at CR LF, a last line without
// a break included. A text ending in a break gives an empty last line.
std::vector<std::string> BoxLines(const std::string& box);

// A line of the repeat list or the point list that holds no row and is
// dropped: shorter than any row can be ({1,2,"==",0x0} is the least; stray
// fragments), or blanks only.
bool HoldsNoRow(const std::string& line);

// True when the text can stand in a Lua name after a prefix such as "动作_":
// ASCII letters, digits, underscores and GBK characters (empty is fine).
bool IsNameText(const std::string& text);

// The repeat list's rows for an action table, each line with its line
// break. Lines that hold no row (HoldsNoRow) are dropped; every other line
// must read as a row, and one without a comma after it gets one.
// A find action (its call name as reader; nullptr for 重复动作) refuses
// the rows it cannot do: text rows, which its reader skips, and branch
// rows, which could name no action before it (the pages put its call in
// front of the script). The message names the first line refused.
struct TableRows {
  std::string message;  // empty when the rows were read
  std::string text;
};
TableRows ReadTableRows(const std::string& repeat_list, const char* reader);

// The conditions ("找颜色点条件(名字)" and "找图像条件(名字)") and the window
// rules ("窗口操作(名字)") the code box declares, for the choice boxes: the
// call and the name its line gives as the first argument, as the script
// holds it.
std::vector<std::string> ConditionChoices(const std::string& code_box);
std::vector<std::string> WindowChoices(const std::string& code_box);
// What the boxes offer: first the entry that writes "0", then the choices.
std::vector<std::string> ConditionBoxItems(const std::string& code_box);
std::vector<std::string> WindowBoxItems(const std::string& code_box);

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
