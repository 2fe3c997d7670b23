// Reading BMP files into samples: which files are refused and how, and the
// order and thinning of the samples.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "platform/sim/sim_platform.h"
#include "tests/native/bmp_builder.h"
#include "vision/bmp.h"

namespace tora {
namespace {

using test::BuildBmp24;
using test::PositionColour;

// The first values of the C runtime's rand() from state 1.
constexpr int32_t kRandFromOne[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};

class TempDir {
 public:
  TempDir() {
    std::string pattern = "/tmp/tora_bmp_XXXXXX";
    path_ = mkdtemp(&pattern[0]) ? pattern : std::string();
  }
  ~TempDir() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

Frame PictureOf(int32_t width, int32_t height) {
  Frame f;
  f.Resize(width, height);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) f.Set(x, y, PositionColour(x, y));
  return f;
}

std::vector<Point> Positions(const PointList& samples) {
  std::vector<Point> out;
  for (const ColorPoint& p : samples) out.push_back(Point{p.x, p.y});
  return out;
}

TEST(ThinningRand, FollowsTheRuntimeSequencePerThread) {
  SetThinningRandState(1);
  for (int32_t expected : kRandFromOne) EXPECT_EQ(ThinningRand(), expected);
  // Another thread has its own state, starting at 1 whatever this one drew.
  int32_t first_there = -1;
  std::thread([&] { first_there = ThinningRand(); }).join();
  EXPECT_EQ(first_there, kRandFromOne[0]);
  EXPECT_EQ(ThinningRand(), 5705);
}

TEST(SamplePicture, TakesColumnsTopDownAndAlwaysTheFirstFive) {
  const Frame picture = PictureOf(3, 2);
  const std::vector<Point> first_five = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}};
  for (ThinningRule rule : {ThinningRule::kDropBelow, ThinningRule::kDropAtOrBelow}) {
    SetThinningRandState(1);
    EXPECT_EQ(Positions(SamplePicture(picture, 100, rule, Point{}, nullptr)), first_five);
    // Exactly one draw, for the sixth pixel.
    EXPECT_EQ(ThinningRand(), kRandFromOne[1]);

    SetThinningRandState(1);
    std::vector<Point> all = first_five;
    all.push_back(Point{2, 1});
    for (int32_t percent : {0, -5}) EXPECT_EQ(Positions(SamplePicture(picture, percent, rule, Point{}, nullptr)), all);
    // Without thinning nothing is drawn.
    EXPECT_EQ(ThinningRand(), kRandFromOne[0]);
  }
  SetThinningRandState(1);
  const PointList samples = SamplePicture(picture, 0, ThinningRule::kDropBelow, Point{}, nullptr);
  for (const ColorPoint& p : samples) {
    EXPECT_EQ(p.op, kOpEqual);
    EXPECT_EQ(p.colour, PositionColour(p.x, p.y));
  }
}

TEST(SamplePicture, ActionKeepsADrawEqualToThePercentageAndConditionDropsIt) {
  // From state 1 the first draw is 41: with P = 41, r < P keeps the sixth
  // pixel and r <= P drops it.
  const Frame picture = PictureOf(1, 6);
  SetThinningRandState(1);
  EXPECT_EQ(SamplePicture(picture, 41, ThinningRule::kDropBelow, Point{}, nullptr).size(), 6u);
  SetThinningRandState(1);
  EXPECT_EQ(SamplePicture(picture, 41, ThinningRule::kDropAtOrBelow, Point{}, nullptr).size(), 5u);
  SetThinningRandState(1);
  EXPECT_EQ(SamplePicture(picture, 42, ThinningRule::kDropBelow, Point{}, nullptr).size(), 5u);
}

TEST(SamplePicture, ThinsInProportionAndDrawsOncePerPixelAfterTheFifth) {
  const Frame picture = PictureOf(100, 100);
  SetThinningRandState(1);
  const size_t half = SamplePicture(picture, 50, ThinningRule::kDropBelow, Point{}, nullptr).size();
  EXPECT_GT(half, 4500u);
  EXPECT_LT(half, 5500u);
  // 10000 - 5 draws were made: the next one is the 9996th of the sequence.
  int32_t expected = 0;
  SetThinningRandState(1);
  for (int i = 0; i < 9996; ++i) expected = ThinningRand();
  SetThinningRandState(1);
  SamplePicture(picture, 50, ThinningRule::kDropBelow, Point{}, nullptr);
  EXPECT_EQ(ThinningRand(), expected);

  SetThinningRandState(1);
  EXPECT_EQ(SamplePicture(picture, 99, ThinningRule::kDropAtOrBelow, Point{}, nullptr).size(), 5u);
  const size_t one_percent = SamplePicture(picture, 99, ThinningRule::kDropBelow, Point{}, nullptr).size();
  EXPECT_GT(one_percent, 5u + 50u);
  EXPECT_LT(one_percent, 5u + 200u);
  EXPECT_EQ(SamplePicture(picture, 100, ThinningRule::kDropBelow, Point{}, nullptr).size(), 5u);
  EXPECT_EQ(SamplePicture(picture, 1000, ThinningRule::kDropBelow, Point{}, nullptr).size(), 5u);

  // The state carries over: the same picture thins differently the second time.
  const Frame column = PictureOf(1, 40);
  SetThinningRandState(1);
  const auto a = Positions(SamplePicture(column, 50, ThinningRule::kDropBelow, Point{}, nullptr));
  const auto b = Positions(SamplePicture(column, 50, ThinningRule::kDropBelow, Point{}, nullptr));
  EXPECT_NE(a, b);
}

TEST(SamplePicture, FixedPositionSaturatesInsteadOfOverflowing) {
  const auto far = SamplePicture(PictureOf(5, 6), 0, ThinningRule::kDropBelow, Point{INT32_MAX, INT32_MIN}, nullptr);
  EXPECT_EQ(far.back().x, INT32_MAX);
  EXPECT_EQ(far.back().y, INT32_MIN + 5);
}

// Loads bytes written to a file through the simulated platform.
class LoadBmpTest : public ::testing::Test {
 protected:
  BmpError Load(const std::string& bytes, Frame& picture) {
    const std::string path = dir_.path() + "/p.bmp";
    EXPECT_TRUE(test::WriteFile(path, bytes));
    return LoadBmp(path, sim_.platform().files, sim_.platform().images, picture);
  }
  BmpError Load(const std::string& bytes) {
    Frame picture;
    return Load(bytes, picture);
  }
  TempDir dir_;
  SimPlatform sim_;
};

TEST_F(LoadBmpTest, ReadsTopDownAndBottomUpPicturesAlike) {
  Frame up, down;
  ASSERT_EQ(Load(BuildBmp24(4, 3, PositionColour), up), BmpError::kNone);
  ASSERT_EQ(Load(BuildBmp24(4, 3, PositionColour, true), down), BmpError::kNone);
  EXPECT_EQ(up.width, 4);
  EXPECT_EQ(up.height, 3);
  EXPECT_EQ(up.pixels, down.pixels);
  EXPECT_EQ(up.At(3, 0), PositionColour(3, 0));
}

TEST_F(LoadBmpTest, TellsAFileThatIsNoBmpFromOneThatCannotBeRead) {
  const std::string good = BuildBmp24(4, 4, PositionColour);
  ASSERT_EQ(Load(good), BmpError::kNone);

  EXPECT_EQ(Load(""), BmpError::kReadError) << "empty";
  EXPECT_EQ(Load("B"), BmpError::kReadError) << "one byte";
  std::string png = good;
  png[0] = '\x89';
  EXPECT_EQ(Load(png), BmpError::kNotBmp);
  EXPECT_EQ(Load("bm" + good.substr(2)), BmpError::kNotBmp) << "the check is case-sensitive";
  EXPECT_EQ(Load("BM"), BmpError::kReadError) << "nothing after the signature";
  EXPECT_EQ(Load(good.substr(0, 53)), BmpError::kReadError) << "info header cut short";
  EXPECT_EQ(Load(good.substr(0, good.size() - 1)), BmpError::kReadError) << "pixel data cut short";
  EXPECT_EQ(Load(good.substr(0, 54)), BmpError::kReadError) << "no pixel data";

  auto with = [&](size_t at, uint32_t value) {
    std::string bytes = good;
    test::PutU32(bytes, at, value);
    return Load(bytes);
  };
  EXPECT_EQ(with(10, static_cast<uint32_t>(good.size())), BmpError::kReadError) << "offset at the end";
  EXPECT_EQ(with(10, 0xFFFFFFF0u), BmpError::kReadError) << "offset far past the end";
  EXPECT_EQ(with(14, 12), BmpError::kReadError) << "core header";
  EXPECT_EQ(with(14, 0x10000), BmpError::kReadError) << "header longer than the file";
  EXPECT_EQ(with(18, 0), BmpError::kReadError) << "width 0";
  EXPECT_EQ(with(22, 0), BmpError::kReadError) << "height 0";
  EXPECT_EQ(with(18, static_cast<uint32_t>(-4)), BmpError::kReadError) << "negative width";
  EXPECT_EQ(with(22, 0x80000000u), BmpError::kReadError) << "height without a positive counterpart";
  EXPECT_EQ(with(18, 16385), BmpError::kReadError) << "wider than a side may be";
  EXPECT_EQ(with(30, 1), BmpError::kReadError) << "a format the renderer refuses";
}

TEST_F(LoadBmpTest, RefusesHugeSizesBeforeAllocating) {
  // 16384 x 16384 is within the side limit but 256 Mpixel: refused by the
  // header alone (a renderer would otherwise be asked for a gigabyte).
  std::string bytes = BuildBmp24(1, 1, PositionColour);
  test::PutU32(bytes, 18, 16384);
  test::PutU32(bytes, 22, 16384);
  Frame picture;
  BmpLayout layout;
  EXPECT_EQ(CheckBmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), layout), BmpError::kReadError);
  EXPECT_EQ(Load(bytes, picture), BmpError::kReadError);
  EXPECT_TRUE(picture.pixels.empty());
  // The largest accepted picture passes the header check.
  test::PutU32(bytes, 18, 4096);
  test::PutU32(bytes, 22, static_cast<uint32_t>(-4096));
  EXPECT_EQ(CheckBmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), layout), BmpError::kNone);
  EXPECT_EQ(layout.height, -4096);
}

TEST_F(LoadBmpTest, RefusesPathsTheFileFunctionsCannotHold) {
  const std::string good = BuildBmp24(2, 2, PositionColour);
  // Build a directory chain so that a real file's path is 259 and 260 bytes.
  std::string dir = dir_.path();
  while (dir.size() < 200) {
    dir += "/" + std::string(40, 'd');
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  }
  const std::string stem = dir + "/";
  const std::string at_limit = stem + std::string(259 - stem.size() - 4, 'a') + ".bmp";
  const std::string past_limit = stem + std::string(260 - stem.size() - 4, 'a') + ".bmp";
  ASSERT_EQ(at_limit.size(), 259u);
  ASSERT_EQ(past_limit.size(), 260u);
  ASSERT_TRUE(test::WriteFile(at_limit, good));
  ASSERT_TRUE(test::WriteFile(past_limit, good));
  Frame picture;
  EXPECT_EQ(LoadBmp(at_limit, sim_.platform().files, sim_.platform().images, picture), BmpError::kNone);
  EXPECT_EQ(LoadBmp(past_limit, sim_.platform().files, sim_.platform().images, picture), BmpError::kReadError);

  // A NUL byte would name another file to the file functions.
  const std::string real = dir_.path() + "/p.bmp";
  ASSERT_TRUE(test::WriteFile(real, good));
  EXPECT_EQ(LoadBmp(real + std::string(1, '\0') + "x", sim_.platform().files, sim_.platform().images, picture),
            BmpError::kReadError);
  EXPECT_EQ(LoadBmp(dir_.path() + "/missing.bmp", sim_.platform().files, sim_.platform().images, picture),
            BmpError::kReadError);
  EXPECT_EQ(LoadBmp(dir_.path(), sim_.platform().files, sim_.platform().images, picture), BmpError::kReadError)
      << "a directory";
}

}  // namespace
}  // namespace tora
