// The code the find-colour and find-image pages write: colour-point rows,
// the calls of 找颜色点条件 / 找颜色点动作 / 找图像条件 / 找图像动作 with their
// tables, and the branch rows that call a find action from an action table.
// All texts are GBK; the windows only read their boxes, call these and write
// the results back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tora {

// What an operation of a page gives back: either a refusal (a message, or
// none when the operation just stops) or the text to write.
struct PageEdit {
  std::string message;    // shown to the user; empty when there is none
  bool hint_box = false;  // the message goes in an owner-less "提示" box
  bool refused = false;   // nothing is to be written
  std::string text;       // what to write (see each operation)
};

// --- the find-colour page ---

// "添加": the point row for the position, the operator box text (its first
// two characters are the operator) and the colour digits (a "0x" before
// them is dropped); text is the row to add at the end of the point list.
PageEdit AddColorPoint(const std::string& position, const std::string& operator_text, const std::string& colour);

struct ColorForm {
  std::string point_list;   // the rows, one a line
  std::string name;         // the name box
  std::string code_box;     // the whole code box
  std::string repeat_list;  // the editor's repeat list (actions only)
  std::string mode;         // "固定" or "活动"
  std::string tolerance;    // empty means 10
  std::string range;        // the rectangle box ("活动" only)
};

// "生成条件" / "生成动作": text is what goes in front of the code box. On
// success the page clears the repeat list, the point list and the name box.
PageEdit GenerateColorCondition(const ColorForm& form);
PageEdit GenerateColorAction(const ColorForm& form);

// The find-colour actions the code box declares, as "找颜色点动作(name)".
std::vector<std::string> ColorActionChoices(const std::string& code_box);
// "插入找颜色点动作": text is the branch row for the chosen entry, with its
// line break, to add at the end of the repeat list. An entry that names no
// find action of the code box is refused.
PageEdit ColorActionRow(const std::string& choice, const std::string& code_box);

// --- the find-image page ---

struct ImageForm {
  std::string name;         // the name box
  std::string path;         // the image path box (backslashes doubled)
  std::string mode;         // "固定" or "活动"
  std::string position;     // the fixed position box ("固定")
  std::string range;        // the rectangle box ("活动")
  std::string percent;      // the thinning percentage
  std::string code_box;     // the whole code box
  std::string repeat_list;  // the editor's repeat list (actions only)
};

// "生成条件" / "生成动作": text is what goes in front of the code box. On
// success the page clears the name box (and, after an action, the repeat
// list).
PageEdit GenerateImageCondition(const ImageForm& form);
PageEdit GenerateImageAction(const ImageForm& form);

// The find-image actions the code box declares, as "找图像动作(\"name\")".
std::vector<std::string> ImageActionChoices(const std::string& code_box);
// "插入找图像动作": the branch row for the chosen entry, with its line break.
PageEdit ImageActionRow(const std::string& choice, const std::string& code_box);

// A path as the path box shows it: every backslash character doubled.
std::string DoubledBackslashes(const std::string& path);
// The path a path box's text names: with every backslash doubled (as the
// box shows a path), each pair is one; a path typed by hand with single
// separators stands as typed.
std::string PathFromBox(const std::string& box);

}  // namespace tora
