#include "editor/window_page_logic.h"

#include "editor/codegen.h"
#include "editor/field_text.h"
#include "editor/script_literal.h"
#include "editor/texts.h"
#include "engine/text_util.h"

namespace tora {

namespace {

constexpr const char* kItemPrefix = "(ID:";
constexpr size_t kItemPrefixBytes = 4;
// Between the class name and the title. Neither byte can be the second byte
// of a GBK character, so a plain byte search is safe.
constexpr const char* kClassEnd = ") ";

}  // namespace

std::string WindowItemText(ItemHandleValue handle, const std::string& class_name, const std::string& title) {
  return Format(editor_texts::kWindowItem, static_cast<long long>(handle), class_name.c_str(), title.c_str());
}

std::optional<WindowItem> ParseWindowItem(const std::string& text) {
  if (!StartsWith(text, kItemPrefix)) return std::nullopt;
  size_t i = kItemPrefixBytes;
  if (i < text.size() && text[i] == '-') ++i;
  const size_t first_digit = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i == first_digit || i >= text.size() || text[i] != '|') return std::nullopt;
  const size_t class_end = text.find(kClassEnd, i + 1);
  if (class_end == std::string::npos) return std::nullopt;
  WindowItem item;
  size_t digits = 0;
  item.handle = LeadingHandle(text.substr(kItemPrefixBytes, i - kItemPrefixBytes), digits);
  if (item.handle == 0) return std::nullopt;
  // The class name ends at the first ") ": a class name with a space in it
  // stays whole, and the title keeps whatever it holds.
  item.class_name = text.substr(i + 1, class_end - i - 1);
  item.title = text.substr(class_end + 2);
  return item;
}

std::string WindowArgument(const std::string& text, bool use_class) {
  const std::optional<WindowItem> item = ParseWindowItem(text);
  if (!item) return text;
  return use_class ? item->class_name : item->title;
}

WindowCallResult WindowOperationCall(const WindowCallInput& in) {
  namespace t = editor_texts;
  if (in.window_text.empty()) return {};
  const std::string window = WindowArgument(in.window_text, in.use_class);
  // A rule for an empty title or class would take any untitled window.
  if (window.empty()) return {};
  // Without it the call would lack its last argument and the whole script
  // would no longer load.
  if (in.interval.empty()) return {t::kNoInterval, ""};
  // Interval, width and height stand bare in the call: anything but one
  // number would stop the script loading or shift the arguments after it.
  // The size boxes take digits only, but a paste gets past that.
  if (!IsSeconds(in.interval)) return {t::kBadInterval, ""};
  const std::string name = in.description.empty() ? std::to_string(LineCount(in.code_box)) : in.description;
  const char* topmost = in.topmost ? t::kTopmostText : t::kNotTopmostText;
  const std::string width = in.keep_size || in.width.empty() ? "0" : in.width;
  const std::string height = in.keep_size || in.height.empty() ? "0" : in.height;
  if (!IsCountNumber(width)) return {t::kBadWidth, ""};
  if (!IsCountNumber(height)) return {t::kBadHeight, ""};
  return {"", Format(t::kWindowOperationCall, LuaStringBody(name).c_str(), LuaStringBody(window).c_str(),
                     LuaStringBody(in.corner).c_str(), topmost, width.c_str(), height.c_str(), in.interval.c_str())};
}

}  // namespace tora
