// 找图像动作 and 找图像条件: a picture from a BMP file becomes a screen
// condition whose points are samples of the picture.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "engine/action_table.h"
#include "engine/lua_args.h"
#include "engine/script_context.h"
#include "engine/script_text.h"
#include "engine/script_warnings.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "lauxlib.h"
#include "lua.h"
#include "vision/bmp.h"
#include "vision/prepared_condition.h"

namespace tora {

namespace {

// Where the arguments of the two functions stand on the stack.
struct ImageArgs {
  int mode = 0;
  int area = 0;
  int reduce = 0;
  int file = 0;
};

constexpr ImageArgs kActionArgs{3, 4, 5, 6};
constexpr ImageArgs kConditionArgs{2, 3, 4, 5};

// Mode and area into the condition, and the position that the fixed mode
// adds to every sample. An area we cannot read refuses the call: the
// samples would otherwise get positions nobody asked for.
Point ReadModeAndArea(lua_State* L, const char* function, const ImageArgs& args, ScreenCondition& condition) {
  const std::string mode = CheckString(L, args.mode);
  if (mode != texts::kModeRect && mode != texts::kModeFixed)
    WarnAtCall(L, function, Format(texts::kWarnMode, Excerpt(mode).c_str()));
  if (mode == texts::kModeRect) {
    if (!lua_isstring(L, args.area)) luaL_error(L, "%s", texts::kImageRectAreaBad);
    const std::string area = CheckString(L, args.area);
    if (area == texts::kFullScreen) {
      const Size screen = GetScriptContext(L).platform.screen.ScreenSize();
      condition.rect = Rect{0, 0, screen.width, screen.height};
    } else {
      const std::vector<std::string> fields = SplitString(area, ',');
      if (fields.size() != 4) luaL_error(L, "%s", texts::kImageRectAreaBad);
      condition.rect = Rect{LeadingInt(fields[0]), LeadingInt(fields[1]), LeadingInt(fields[2]),
                            LeadingInt(fields[3])};
    }
    condition.search_in_rect = true;
    return Point{0, 0};
  }
  const std::vector<std::string> fields = SplitString(CheckString(L, args.area), ',');
  if (fields.size() != 2) luaL_error(L, "%s", texts::kImageFixedAreaBad);
  return Point{LeadingInt(fields[0]), LeadingInt(fields[1])};
}

// A byte count in whole megabytes, rounded up, as a warning shows it.
int Megabytes(uint64_t bytes) {
  const uint64_t mb = (bytes >> 20) + ((bytes & 0xFFFFF) != 0 ? 1 : 0);
  return static_cast<int>(std::min<uint64_t>(mb, INT32_MAX));
}

int32_t ReadReduce(lua_State* L, int index) {
  int is_number = 0;
  const lua_Number value = lua_tonumberx(L, index, &is_number);
  return is_number ? TruncToInt32(value) : 0;
}

// Reads the picture into the condition's points; tells the user and returns
// false when the file cannot be used. A relative file name is the script's
// neighbour, wherever the program's current folder happens to be.
bool ReadPicture(lua_State* L, const char* function, const std::string& file, int32_t percent, ThinningRule rule,
                 Point origin, ScreenCondition& condition) {
  ScriptContext& context = GetScriptContext(L);
  Platform& platform = context.platform;
  const std::string path = ResolveBesideScript(file, context.script_folder);
  std::string bytes;
  BmpLayout layout;
  BmpError error = ReadBmp(path, platform.files, bytes, layout);
  if (error == BmpError::kNone) {
    // A picture whose samples the memory cannot hold is refused before
    // anything of its size is allocated: a failed allocation later, or a
    // machine paging for every check, would be far worse.
    const int64_t rows = layout.height < 0 ? -int64_t{layout.height} : int64_t{layout.height};
    const uint64_t need = BytesToSample(layout.width, rows, CountSamples(layout.width, rows, percent, rule));
    bool fits = need <= platform.images.MemoryAvailable();
    if (fits) {
      try {
        Frame picture;
        error = RenderBmp(bytes, platform.images, picture);
        std::string().swap(bytes);  // the file is drawn: let its bytes go before the samples come
        if (error == BmpError::kNone) condition.points = SamplePicture(picture, percent, rule, origin, &platform.trace);
      } catch (const std::bad_alloc&) {
        fits = false;
      }
    }
    if (!fits) {
      WarnAtCall(L, function,
                 Format(texts::kWarnPictureTooBig, Excerpt(path).c_str(), static_cast<int>(layout.width),
                        static_cast<int>(rows), Megabytes(need), Megabytes(platform.images.MemoryAvailable())));
      platform.user.ShowMessage(texts::kImageReadError, "", MessageOwner::None);
      return false;
    }
  }
  if (error != BmpError::kNone) {
    const bool not_bmp = error == BmpError::kNotBmp;
    WarnAtCall(L, function,
               Format(not_bmp ? texts::kWarnPictureNotBmp : texts::kWarnPictureUnreadable, Excerpt(path).c_str()));
    platform.user.ShowMessage(not_bmp ? texts::kImageNotBmp : texts::kImageReadError, "", MessageOwner::None);
    return false;
  }
  condition.picture = path;
  return true;
}

ScreenCondition NewImageCondition(const std::string& name) {
  ScreenCondition condition;
  condition.name = name;
  condition.points_are_offsets = true;
  return condition;
}

}  // namespace

// 找图像动作(name, table, mode, area, reduce, file)
int LuaFindImageAction(lua_State* L) {
  ActionRegistry& registry = GetScriptContext(L).registry;
  const std::string name = CheckString(L, 1);
  ScreenCondition condition = NewImageCondition(name);
  ActionList list;
  BranchAction branch;
  branch.name = name;

  // Every argument is checked before any record is made, so that a refused
  // call leaves no key or mouse steps behind.
  const Point origin = ReadModeAndArea(L, texts::kFnFindImageAction, kActionArgs, condition);
  const int32_t percent = ReadReduce(L, kActionArgs.reduce);
  const std::string path = CheckString(L, kActionArgs.file);
  std::string table;
  if (OptionalString(L, 2, table)) ParseActionTable(L, table, list, 0, registry, texts::kFnFindImageAction);
  if (!condition.search_in_rect && RelativeClickBeforeBranch(list, registry))
    WarnAtCall(L, texts::kFnFindImageAction, Format(texts::kWarnRelativeFixed, Excerpt(table).c_str()));

  if (!ReadPicture(L, texts::kFnFindImageAction, path, percent, ThinningRule::kDropBelow, origin, condition))
    return 0;
  PrepareCondition(condition);
  AppendBranch(registry, std::move(condition), std::move(list), std::move(branch));
  return 0;
}

// 找图像条件(name, mode, area, reduce, file)
int LuaFindImageCondition(lua_State* L) {
  ActionRegistry& registry = GetScriptContext(L).registry;
  ScreenCondition condition = NewImageCondition(CheckString(L, 1));
  const Point origin = ReadModeAndArea(L, texts::kFnFindImageCondition, kConditionArgs, condition);
  const int32_t percent = ReadReduce(L, kConditionArgs.reduce);
  const std::string path = CheckString(L, kConditionArgs.file);
  if (!ReadPicture(L, texts::kFnFindImageCondition, path, percent, ThinningRule::kDropAtOrBelow, origin, condition))
    return 0;
  PrepareCondition(condition);
  registry.screen_conditions.Append(std::move(condition));
  return 0;
}

}  // namespace tora
