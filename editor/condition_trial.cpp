#include "editor/condition_trial.h"

#include <algorithm>
#include <cstdlib>

#include "editor/codegen.h"
#include "editor/page_texts.h"
#include "editor/script_literal.h"
#include "editor/texts.h"
#include "engine/text_util.h"
#include "vision/bmp.h"
#include "vision/find_color.h"
#include "vision/prepared_condition.h"

namespace tora {

namespace t = editor_texts;

namespace {

PageEdit Refuse(std::string message) {
  PageEdit edit;
  edit.message = std::move(message);
  edit.refused = true;
  return edit;
}

void SkipBlanks(const std::string& text, size_t& at) {
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
}

// The number at text[at] in the given base (blanks before it skipped), and
// at past it and the separator after it.
long long TakeNumber(const std::string& text, size_t& at, int base, char separator) {
  SkipBlanks(text, at);
  const char* start = text.c_str() + at;
  char* end = nullptr;
  const long long value = std::strtoll(start, &end, base);
  at += static_cast<size_t>(end - start);
  SkipBlanks(text, at);
  if (at < text.size() && text[at] == separator) ++at;
  return value;
}

// A point row the page has accepted ({x,y,"op",0xcolour}) read as the
// script reads it.
ColorPoint ReadPointRow(const std::string& line) {
  ColorPoint p;
  size_t at = line.find('{');
  at = at == std::string::npos ? line.size() : at + 1;
  p.x = static_cast<int32_t>(TakeNumber(line, at, 10, ','));
  p.y = static_cast<int32_t>(TakeNumber(line, at, 10, ','));
  SkipBlanks(line, at);
  const std::optional<std::string> op = ReadLuaString(line, at);
  p.op = ColorOpFromText(op ? *op : std::string());
  SkipBlanks(line, at);
  if (at < line.size() && line[at] == ',') ++at;
  // Base 16 takes the "0x" itself; the script keeps a colour modulo 2^32.
  p.colour = static_cast<uint32_t>(std::strtoull(line.c_str() + at, nullptr, 16));
  return p;
}

// A search rectangle the page has accepted: the whole screen, or four
// numbers.
Rect RangeRect(const std::string& range, Size screen) {
  if (range == t::kRangeItems[2]) return Rect{0, 0, screen.width, screen.height};
  const std::vector<std::string> f = SplitString(range, ',');
  return Rect{LeadingInt(f[0]), LeadingInt(f[1]), LeadingInt(f[2]), LeadingInt(f[3])};
}

// A trial names nothing: a name the code could not hold is no reason to
// refuse it.
template <typename Form>
Form Unnamed(Form form) {
  form.name.clear();
  form.code_box.clear();
  return form;
}

}  // namespace

PageEdit ColorTrialCondition(const ColorForm& form, Size screen, ScreenCondition& condition) {
  // The checks of "生成条件", so that a form it would refuse is refused
  // here with its words; what passes them is read without doubt below.
  PageEdit edit = GenerateColorCondition(Unnamed(form));
  if (edit.refused) return edit;
  condition = ScreenCondition();
  for (const std::string& line : BoxLines(form.point_list))
    if (!HoldsNoRow(line)) condition.points.push_back(ReadPointRow(line));
  condition.tolerance = form.tolerance.empty() ? std::atoi(t::kDefaultTolerance) : LeadingInt(form.tolerance);
  if (form.mode == t::kModeMoving) {
    condition.search_in_rect = true;
    condition.rect = RangeRect(form.range, screen);
  }
  PrepareCondition(condition);
  return edit;
}

PageEdit ImageTrialCondition(const ImageForm& form, Size screen, ScreenCondition& condition, PictureTrial& picture) {
  if (form.path.empty()) return Refuse(t::kTrialNoPicture);
  PageEdit edit = GenerateImageCondition(Unnamed(form));
  if (edit.refused) return edit;
  condition = ScreenCondition();
  condition.points_are_offsets = true;
  picture = PictureTrial();
  picture.path = PathFromBox(form.path);
  picture.percent = LeadingInt(form.percent);
  if (form.mode == t::kModeMoving) {
    condition.search_in_rect = true;
    condition.rect = RangeRect(form.range, screen);
  } else {
    const std::vector<std::string> f = SplitString(form.position, ',');
    picture.origin = Point{LeadingInt(f[0]), LeadingInt(f[1])};
  }
  condition.picture = picture.path;
  return edit;
}

void SampleTrialPicture(const Frame& rendered, const PictureTrial& picture, ScreenCondition& condition) {
  // A script run on this thread draws from the same generator.
  const uint32_t saved = ThinningRandState();
  struct Restore {
    uint32_t state;
    ~Restore() { SetThinningRandState(state); }
  } restore{saved};
  condition.points = SamplePicture(rendered, picture.percent, ThinningRule::kDropAtOrBelow, picture.origin, nullptr);
  PrepareCondition(condition);
}

std::string TrialAnswer(const ScreenCondition& condition, const ConditionCheck& check) {
  std::string text;
  for (const std::string& line : DescribeCheck(condition, check)) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

std::optional<Rect> FoundArea(const ScreenCondition& condition, const ConditionCheck& check) {
  if (!check.met || check.stopped || check.of == 0) return std::nullopt;
  const std::shared_ptr<const PreparedCondition> own =
      condition.prepared ? condition.prepared : std::make_shared<const PreparedCondition>(condition);
  const Region& reach = own->reach();
  if (reach.Empty()) return std::nullopt;
  const int64_t x = check.has_found ? check.found.x : 0, y = check.has_found ? check.found.y : 0;
  const auto clamp = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  return Rect{clamp(x + reach.left), clamp(y + reach.top), clamp(x + reach.right), clamp(y + reach.bottom)};
}

}  // namespace tora
