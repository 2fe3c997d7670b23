#include "engine/registry.h"

#include <climits>

namespace tora {

namespace {

int32_t SaturatedSum(int32_t a, int32_t b) {
  const int64_t sum = int64_t{a} + int64_t{b};
  return sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : static_cast<int32_t>(sum);
}

}  // namespace

PointList::PointList(Point origin, std::vector<PictureSample> samples)
    : picture_(std::make_shared<const Picture>(Picture{origin, std::move(samples)})) {}

ColorPoint PointList::Decode(const Picture& picture, size_t i) {
  const PictureSample& s = picture.samples[i];
  return ColorPoint{SaturatedSum(picture.origin.x, s.x), SaturatedSum(picture.origin.y, s.y), kOpEqual, s.colour};
}

std::vector<ColorPoint>& PointList::Edit() {
  if (picture_) {
    std::vector<ColorPoint> written;
    written.reserve(picture_->samples.size());
    for (size_t i = 0; i < picture_->samples.size(); ++i) written.push_back(Decode(*picture_, i));
    written_ = std::move(written);
    picture_.reset();
  }
  return written_;
}

void OpenUrlHandOver::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  url_.clear();
  requested_id_ = 0;
  last_opened_id_ = -1;
}

void OpenUrlHandOver::Request(const std::string& url, int32_t step_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  url_ = url;
  requested_id_ = step_id;
}

OpenUrlHandOver::Snapshot OpenUrlHandOver::Get() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return Snapshot{url_, requested_id_, last_opened_id_};
}

void OpenUrlHandOver::MarkOpened(int32_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  last_opened_id_ = id;
}

void ActionRegistry::EmptyAll() {
  key_steps.Clear();
  mouse_steps.Clear();
  window_rules.Clear();
  ordinary_tasks.Clear();
  branch_actions.Clear();
  screen_conditions.Clear();
  action_lists.Clear();
  priority_tasks.Clear();
  paste_text_steps.Clear();
  open_url_steps.Clear();
  open_url.Reset();
}

}  // namespace tora
