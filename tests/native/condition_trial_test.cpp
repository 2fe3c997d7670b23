// "测试条件": the condition a find page tests is the one its generated call
// declares when the script runs, and testing it changes nothing a run sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "editor/codegen.h"
#include "editor/condition_trial.h"
#include "editor/find_code.h"
#include "editor/texts.h"
#include "tests/native/bmp_builder.h"
#include "tests/native/script_fixture.h"
#include "vision/bmp.h"

namespace tora {
namespace {

namespace t = editor_texts;

class ConditionTrialTest : public testing::ScriptFixture {
 protected:
  ConditionTrialTest() {
    Register(texts::kFnFindColorCondition, LuaFindColorCondition);
    Register(texts::kFnFindImageCondition, LuaFindImageCondition);
    sim_.SetScreenSize(1024, 768);
  }

  // Runs the call the page writes; the condition it declared.
  const ScreenCondition& Declared(const std::string& code) {
    EXPECT_EQ(Run(code), "") << code;
    EXPECT_EQ(registry_.screen_conditions.Length(), 1) << code;
    return *registry_.screen_conditions.Get(0);
  }

  static void ExpectSame(const ScreenCondition& script, const ScreenCondition& trial, const std::string& code) {
    std::vector<ColorPoint> a(trial.points.begin(), trial.points.end()), b(script.points.begin(), script.points.end());
    EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ColorPoint& p, const ColorPoint& q) {
      return p.x == q.x && p.y == q.y && p.op == q.op && p.colour == q.colour;
    })) << code;
    EXPECT_TRUE(trial.search_in_rect == script.search_in_rect && trial.tolerance == script.tolerance &&
                trial.points_are_offsets == script.points_are_offsets && trial.prepared)
        << code;
    EXPECT_TRUE(!script.search_in_rect || trial.rect == script.rect) << code;
  }

  std::mt19937 random_{20};
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
};

TEST_F(ConditionTrialTest, ColourFormsGiveWhatTheirGeneratedCallDeclares) {
  const char* ops[] = {"==", "!=", "~=", "!~"};
  const char* ranges[] = {"全屏", "0,0,800,600", " 5, -3 ,1024,800", "-20,10,30,999999999"};
  const char* tolerances[] = {"", "0", "25", "-7", "255"};
  for (int round = 0; round < 150; ++round) {
    ColorForm form;
    const int points = Pick(1, 6);
    for (int i = 0; i < points; ++i) {
      char row[96];
      std::snprintf(row, sizeof row, "{ %d,%d,\"%s\", 0x%0*X }", Pick(-50, 2000), Pick(-50, 2000), ops[Pick(0, 3)],
                    Pick(1, 8), static_cast<unsigned>(random_()));
      // Blank and short lines between rows are no rows, as generation has it.
      if (Pick(0, 3) == 0) form.point_list += Pick(0, 1) ? "\r\n" : "  \r\n";
      form.point_list += std::string(row) + (Pick(0, 1) ? "," : "") + "\r\n";
    }
    form.mode = Pick(0, 1) ? t::kModeMoving : t::kModeFixed;
    form.range = ranges[Pick(0, 3)];
    form.tolerance = tolerances[Pick(0, 4)];
    form.name = "色";
    const PageEdit code = GenerateColorCondition(form);
    ASSERT_FALSE(code.refused) << form.point_list << code.message;
    registry_.EmptyAll();
    const ScreenCondition& script = Declared(code.text);
    ScreenCondition trial;
    ASSERT_FALSE(ColorTrialCondition(form, Size{1024, 768}, trial).refused);
    ExpectSame(script, trial, code.text);
  }
}

TEST_F(ConditionTrialTest, PictureFormsSampleAsTheScriptAndLeaveItsDrawAlone) {
  std::string pattern = "/tmp/tora_trial_XXXXXX";
  ASSERT_TRUE(mkdtemp(&pattern[0]));
  const std::string path = pattern + "/图.bmp";
  ASSERT_TRUE(test::WriteFile(path, test::BuildBmp24(9, 7, [](int32_t x, int32_t y) {
    return static_cast<uint32_t>(x * 0x1F3 + y * 0x70501);
  })));
  for (const char* percent : {"0", "50", "90", "-3"}) {
    for (bool moving : {false, true}) {
      ImageForm form;
      form.path = DoubledBackslashes(path);
      form.mode = moving ? t::kModeMoving : t::kModeFixed;
      form.position = "30, 40";
      form.range = "全屏";
      form.percent = percent;
      const PageEdit code = GenerateImageCondition(form);
      ASSERT_FALSE(code.refused) << code.message;
      const uint32_t state = static_cast<uint32_t>(random_());
      SetThinningRandState(state);
      registry_.EmptyAll();
      const ScreenCondition& script = Declared(code.text);

      SetThinningRandState(state);
      ScreenCondition trial;
      PictureTrial picture;
      ASSERT_FALSE(ImageTrialCondition(form, Size{1024, 768}, trial, picture).refused);
      Frame rendered;
      ASSERT_EQ(LoadBmp(picture.path, sim_.platform().files, sim_.platform().images, rendered), BmpError::kNone);
      SampleTrialPicture(rendered, picture, trial);
      EXPECT_EQ(ThinningRandState(), state) << code.text;
      ExpectSame(script, trial, code.text);
    }
  }
  std::system(("rm -rf '" + pattern + "'").c_str());
}

TEST(RelativeClick, OnlyMouseRowsTheScriptRunsRelativeCount) {
  const std::pair<const char*, bool> cases[] = {
      {"{\"左键单击\",\"5,7,相对,0\"},\r\n", true},
      {"{\"按键\",\"A,1\"},\r\n{ \"鼠标移动\" , \"5,7,相当,0\" }\r\n", true},  // read as relative
      {"{\"左键单击\",\"5,7,绝对,0\"},\r\n{\"右键单击\",\"1,2,绝对,1\"},\r\n", false},
      {"{\"左键单击\",\"5,7,相对\"},\r\n", false},  // three fields: never runs
      {"{\"粘贴文字\",\"1,2,相对,0\"},\r\n", false},
      {"", false},
  };
  for (const auto& [list, relative] : cases) EXPECT_EQ(HasRelativeClick(list), relative) << list;
}

}  // namespace
}  // namespace tora
