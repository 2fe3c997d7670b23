// "测试条件" on the find pages: the condition the page's fields describe,
// built as the call its "生成条件" writes would declare it, and the answer
// of a test on the screen in words. The windows capture the screen, render
// the picture and show the answer; everything else is here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "editor/find_code.h"
#include "engine/registry.h"
#include "platform/geometry.h"
#include "vision/condition_check.h"

namespace tora {

// The colour condition of the form on a screen of this size ("全屏" is the
// whole of it), or the refusal "生成条件" would give.
PageEdit ColorTrialCondition(const ColorForm& form, Size screen, ScreenCondition& condition);

// What a picture condition takes from the picture's file.
struct PictureTrial {
  std::string path;     // the file, as the path box names it
  int32_t percent = 0;  // the thinning percentage
  Point origin;         // added to every sample: the fixed position, or (0, 0)
};

// The picture condition of the form without its samples (mode, rectangle,
// name) and what its samples come from, or the refusal "生成条件" would
// give; a form without a picture says so.
PageEdit ImageTrialCondition(const ImageForm& form, Size screen, ScreenCondition& condition, PictureTrial& picture);

// The samples 找图像条件 would take of the rendered picture. The thinning
// draw is left where it was: a trial must not change what the next script
// run takes of its pictures.
void SampleTrialPicture(const Frame& rendered, const PictureTrial& picture, ScreenCondition& condition);

// The answer to show: the check in words, one line each.
std::string TrialAnswer(const ScreenCondition& condition, const ConditionCheck& check);

// Where the condition was seen to hold on the screen: the box of all its
// points (from the found place in rectangle mode, where they stand in fixed
// mode). Nothing when it does not hold or has no points.
std::optional<Rect> FoundArea(const ScreenCondition& condition, const ConditionCheck& check);

}  // namespace tora
