// What the find-colour and find-image pages write, byte for byte, and that
// what they write loads and registers in the engine.
#include <gtest/gtest.h>

#include "editor/find_code.h"
#include "editor/texts.h"
#include "tests/native/script_fixture.h"
#include "tests/native/temp_folder.h"
#include "tools/texts.h"
#include "tools/tool_logic.h"
#include "vision/bmp.h"
#include "vision/bmp_writer.h"

namespace tora {
namespace {

namespace t = editor_texts;

const char* const kTwoPoints = "{50,100,\"==\",0xff},\r\n{51,100,\"~=\",0xff00},\r\n";

ColorForm PointsForm() {
  ColorForm form;
  form.point_list = kTwoPoints;
  form.mode = t::kModeFixed;
  form.tolerance = "20";
  return form;
}

TEST(ColourPoint, RowFromF11AndRefusals) {
  EXPECT_EQ(AddColorPoint("50,100", "==(等于)", "ff").text, "{50,100,\"==\",0xff},\r\n");
  EXPECT_EQ(AddColorPoint("", "==(等于)", "ff").message, t::kNoColourPosition);
  EXPECT_EQ(AddColorPoint("按[F11]", "==(等于)", "ff").message, t::kBadColourPosition);
  EXPECT_EQ(AddColorPoint("1,2", "", "ff").message, t::kNoOperator);
  EXPECT_EQ(AddColorPoint("1,2", "!~(不约等于)", "").message, t::kNoColour);
  EXPECT_TRUE(AddColorPoint("1,2", "!~(不约等于)", "").refused);
}

TEST(ColourCondition, TableAndCallInFrontOfTheCodeBox) {
  ColorForm form = PointsForm();
  form.name = " a b";
  form.point_list += "\r\nxx\r\n";  // lines too short for a row are left out
  EXPECT_EQ(GenerateColorCondition(form).text,
            "颜色点列表_ab={\r\n{50,100,\"==\",0xff},\r\n{51,100,\"~=\",0xff00},\r\n  }\r\n"
            "找颜色点条件(\"ab\",\"颜色点列表_ab\",\"固定\",20)\r\n\r\n");
  // Unnamed: the code box's line count; no tolerance: 10; "全屏" is enough
  // for a condition.
  form.name.clear();
  form.tolerance.clear();
  form.mode = t::kModeMoving;
  form.range = "全屏";
  for (int i = 0; i < 11; ++i) form.code_box += "x\r\n";
  // A row longer than any buffer is carried whole, not cut into a row that
  // would not load.
  const std::string long_row = "{1,2,\"==\",0x" + std::string(300, '0') + "f},";
  form.point_list = long_row;
  EXPECT_EQ(GenerateColorCondition(form).text,
            "颜色点列表_12={\r\n" + long_row + "\r\n  }\r\n"
            "找颜色点条件(\"12\",\"颜色点列表_12\",\"活动\",\"全屏\",10)\r\n\r\n");
}

TEST(ColourCondition, Refusals) {
  ColorForm form = PointsForm();
  form.point_list.clear();
  EXPECT_EQ(GenerateColorCondition(form).message, t::kEmptyPointList);
  // Blank lines only would make a table without rows, which stops the script.
  form.point_list = "\r\n\r\n";
  EXPECT_EQ(GenerateColorCondition(form).message, t::kEmptyPointList);
  form = PointsForm();
  form.mode = t::kModeMoving;
  form.range = "0,0";
  EXPECT_EQ(GenerateColorCondition(form).message, t::kBadRange);
  form = PointsForm();
  form.tolerance = "1x";
  EXPECT_EQ(GenerateColorCondition(form).message, t::kBadTolerance);
  form = PointsForm();
  form.name = "a-b";
  EXPECT_EQ(GenerateColorCondition(form).message, t::kBadDescription);
}

TEST(ColourAction, TablesAndCallWithoutSpacesInTheName) {
  ColorForm form = PointsForm();
  form.name = "打 怪";
  form.repeat_list = "{\"左键单击\",\"1,2,相对(条件返回),1\"},\r\n";
  form.mode = t::kModeMoving;
  form.range = "0,0,800,600";
  EXPECT_EQ(GenerateColorAction(form).text,
            "颜色点列表_打怪={\r\n{50,100,\"==\",0xff},\r\n{51,100,\"~=\",0xff00},\r\n  }\r\n"
            "动作列表_打怪={\r\n{\"左键单击\",\"1,2,相对(条件返回),1\"},\r\n}\r\n"
            "找颜色点动作(\"打怪\",\"颜色点列表_打怪\",\"动作列表_打怪\",\"活动\",\"0,0,800,600\",20)\r\n\r\n");
  form.range = "全屏";  // under the action's seven bytes
  EXPECT_EQ(GenerateColorAction(form).message, t::kBadRange);
  form.repeat_list = "\r\n";
  const PageEdit empty = GenerateColorAction(form);
  EXPECT_EQ(empty.message, t::kEmptyActionList);
  EXPECT_TRUE(empty.hint_box);
}

TEST(ActionChoices, WholeLinesOfEitherCallBecomeBranchRows) {
  const std::string long_name(60, 'n');
  const std::string box = "找颜色点动作(\"打怪\",\"颜色点列表_打怪\",\"动作列表_打怪\",\"固定\",10)\r\n"
                          " 找颜色点动作(\"skip\",\"x\")\r\n找颜色点动作(\"no comma\")\r\n"
                          "找图像动作(\"" + long_name + "\",\"动作列表_x\",\"固定\",\"1,2\",50,\"a.bmp\")\r\n";
  EXPECT_EQ(ColorActionChoices(box), std::vector<std::string>{"找颜色点动作(打怪)"});
  EXPECT_EQ(ImageActionChoices(box), std::vector<std::string>{"找图像动作(\"" + long_name + "\")"});
  EXPECT_EQ(ColorActionRow("找颜色点动作(打怪)", box).text, "{\"找颜色点动作\",\"打怪\"},\r\n");
  EXPECT_EQ(ImageActionRow("找图像动作(\"打怪\")", box).text, "{\"找图像动作\",\"打怪\"},\r\n");
  EXPECT_EQ(ColorActionRow("", box).message, t::kChooseColourAction);
  EXPECT_EQ(ImageActionRow("typed text", box).message, t::kChooseImageAction);
}

ImageForm PictureForm() {
  ImageForm form;
  form.name = "3";
  form.path = "C:\\\\pics\\\\a.bmp";
  form.mode = t::kModeMoving;
  form.range = "0,0,800,600";
  form.position = "100,50";
  form.percent = "50";
  return form;
}

TEST(ImageCalls, ConditionAndActionInEitherMode) {
  ImageForm form = PictureForm();
  EXPECT_EQ(GenerateImageCondition(form).text,
            "找图像条件(\"3\",\"活动\",\"0,0,800,600\",50,\"C:\\\\pics\\\\a.bmp\")\r\n\r\n");
  form.mode = t::kModeFixed;
  form.name = "a b";
  form.repeat_list = "{\"按键\",\"A,1\"},\r\n";
  EXPECT_EQ(GenerateImageAction(form).text,
            "动作列表_ab={\r\n{\"按键\",\"A,1\"},\r\n}\r\n"
            "找图像动作(\"ab\",\"动作列表_ab\",\"固定\",\"100,50\",50,\"C:\\\\pics\\\\a.bmp\")\r\n\r\n");
}

TEST(ImageCalls, Refusals) {
  ImageForm form = PictureForm();
  form.path.clear();
  const PageEdit silent = GenerateImageCondition(form);
  EXPECT_TRUE(silent.refused);
  EXPECT_TRUE(silent.message.empty());
  form = PictureForm();
  form.range = "全屏";
  form.repeat_list = "{\"按键\",\"A,1\"},";
  EXPECT_TRUE(GenerateImageCondition(form).message.empty());
  EXPECT_EQ(GenerateImageAction(form).message, t::kBadRange);
  form.mode = t::kModeFixed;
  form.position = "1,";
  EXPECT_EQ(GenerateImageCondition(form).message, t::kBadFixedPosition);
  form = PictureForm();
  for (const char* percent : {"", "5O", "50%"}) {
    form.percent = percent;
    EXPECT_EQ(GenerateImageCondition(form).message, t::kBadPercent) << percent;
  }
}

TEST(ScreenToolTexts, RectanglesNamesAndPaths) {
  EXPECT_EQ(RectText(800, 600, 0, 0), "0,0,800,600");
  EXPECT_EQ(RectText(5, 5, 5, 5), "5,5,5,5");
  EXPECT_EQ(CutFileName(120, 45), "120_45");
  // 81 5C is one GBK character, no separator: the box shows the path with
  // its separators doubled, and the path comes back from it, or from the
  // path typed by hand with single ones.
  const std::string gbk_dir = "C:\\\x81\x5C\\a.bmp";
  EXPECT_EQ(DoubledBackslashes(gbk_dir), "C:\\\\\x81\x5C\\\\a.bmp");
  EXPECT_EQ(PathFromBox(DoubledBackslashes(gbk_dir)), gbk_dir);
  EXPECT_EQ(PathFromBox(gbk_dir), gbk_dir);
  const std::string share = "\\\\server\\pics\\a.bmp";  // typed: its "\\" stays
  EXPECT_EQ(PathFromBox(share), share);
  EXPECT_EQ(PathFromBox(DoubledBackslashes(share)), share);
  EXPECT_EQ(OverwriteQuestion(gbk_dir), std::string("a.bmp") + tool_texts::kOverwriteQuestion);
}

// The generated calls go through the real script functions.
class GeneratedCode : public testing::ScriptFixture {
 protected:
  GeneratedCode() {
    Register(texts::kFnFindColorCondition, LuaFindColorCondition);
    Register(texts::kFnFindColorAction, LuaFindColorAction);
    Register(texts::kFnFindImageCondition, LuaFindImageCondition);
    Register(texts::kFnFindImageAction, LuaFindImageAction);
    sim_.SetScreenSize(1024, 768);
  }
};

TEST_F(GeneratedCode, ColourAndImageCallsRegisterTheirRecords) {
  ColorForm colour = PointsForm();
  colour.name = "点";
  colour.mode = t::kModeMoving;
  colour.range = "全屏";
  std::string code = GenerateColorCondition(colour).text;
  colour.name = "动作";
  colour.range = "10,10,800,600";
  colour.repeat_list = "{\"左键单击\",\"1,2,相对(条件返回),1\"},\r\n";
  code = GenerateColorAction(colour).text + code;

  testing::TempFolder folder("find_code");
  Frame picture;
  picture.Resize(3, 2, 0x123456);
  ImageForm image = PictureForm();
  image.path = DoubledBackslashes(folder.Write("cut\x81\x5C.bmp", EncodeBmp24(picture)));
  image.name = "图";
  code = GenerateImageCondition(image).text + code;
  image.mode = t::kModeFixed;
  image.repeat_list = colour.repeat_list;
  code = GenerateImageAction(image).text + code;

  ASSERT_EQ(Run(code), "");
  const auto& conditions = registry_.screen_conditions.Items();
  ASSERT_EQ(conditions.size(), 4u);
  EXPECT_EQ(conditions[0].name, "图");
  EXPECT_FALSE(conditions[0].search_in_rect);
  EXPECT_EQ(conditions[1].name, "图");
  EXPECT_TRUE(conditions[1].search_in_rect);
  EXPECT_EQ(conditions[2].name, "动作");
  EXPECT_EQ(conditions[2].rect.right, 800);
  EXPECT_EQ(conditions[2].tolerance, 20);
  EXPECT_EQ(conditions[3].name, "点");
  EXPECT_EQ(conditions[3].rect.right, 1024);
  ASSERT_EQ(conditions[3].points.size(), 2u);
  EXPECT_EQ(conditions[3].points[1].colour, 0xff00u);
  EXPECT_EQ(registry_.branch_actions.Items().size(), 2u);
  EXPECT_TRUE(sim_.Messages().empty());
}

// A 10 x 10 cut: rows of 30 bytes padded to 32, 320 bytes of pixels, a
// 374-byte file; read back by the program's own reader.
TEST(BmpWriter, TenByTenCutIsReadBackUnchanged) {
  Frame cut;
  cut.Resize(10, 10);
  for (int32_t y = 0; y < 10; ++y)
    for (int32_t x = 0; x < 10; ++x) cut.Set(x, y, static_cast<uint32_t>(0x010203 * (x + 1) + 0x0A0000 * y));
  const std::string file = EncodeBmp24(cut);
  ASSERT_EQ(file.size(), 374u);
  const auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(file[at]) | static_cast<uint8_t>(file[at + 1]) << 8 |
                                 static_cast<uint8_t>(file[at + 2]) << 16 | static_cast<uint8_t>(file[at + 3]) << 24);
  };
  EXPECT_EQ(file.substr(0, 2), "BM");
  EXPECT_EQ(u32(2), 374u);
  EXPECT_EQ(u32(10), 54u);
  EXPECT_EQ(u32(14), 40u);
  EXPECT_EQ(u32(22), 10u);  // positive: bottom row first
  EXPECT_EQ(u32(26) & 0xFFFF, 1u);
  EXPECT_EQ(u32(26) >> 16, 24u);
  for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(u32(at), 0u) << at;
  // The first stored row is the bottom one, blue first; its padding is zero.
  const uint32_t bottom_left = cut.At(0, 9);
  EXPECT_EQ(static_cast<uint8_t>(file[54]), (bottom_left >> 16) & 0xFF);
  EXPECT_EQ(static_cast<uint8_t>(file[56]), bottom_left & 0xFF);
  EXPECT_EQ(file.substr(54 + 30, 2), std::string(2, '\0'));

  SimPlatform sim;
  Frame back;
  ASSERT_EQ(RenderBmp(file, sim.platform().images, back), BmpError::kNone);
  EXPECT_EQ(back.pixels, cut.pixels);
  // A cut of nothing is no file at all (the reader refuses a width of 0).
  EXPECT_EQ(EncodeBmp24(CropFrame(cut, 4, 4, 0, 3)), "");
  EXPECT_EQ(CropFrame(cut, 8, 8, 5, 5).pixels, (std::vector<uint32_t>{cut.At(8, 8), cut.At(9, 8), cut.At(8, 9), cut.At(9, 9)}));
}

}  // namespace
}  // namespace tora
