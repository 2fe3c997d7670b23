#include "platform/sim/sim_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>

#include "platform/run_flag.h"
#include "platform/text.h"

namespace tora {

namespace {

class SimThread : public WorkerThread {
 public:
  explicit SimThread(std::function<void()> body)
      : thread_([this, body = std::move(body)] {
          body();
          finished_.store(true);
        }) {}
  ~SimThread() override { Join(); }
  void Join() override {
    if (thread_.joinable()) thread_.join();
  }
  bool Finished() override { return finished_.load(); }

 private:
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

// A worker that tora-check records but never runs.
class RecordedThread : public WorkerThread {
 public:
  void Join() override {}
  bool Finished() override { return true; }
};

std::string ProfileKey(const std::string& ini, const std::string& section, const std::string& key) {
  return ini + '\n' + section + '\n' + key;
}

}  // namespace

SimPlatform::SimPlatform()
    : platform_{*this, *this, *this, *this, *this, *this, *this, *this, *this, *this},
      exe_dir_("C:\\tora") {
  screen_.Resize(1920, 1080, 0);
  work_area_ = Rect{0, 0, 1920, 1040};
}

SimPlatform::~SimPlatform() = default;

void SimPlatform::SetScreen(const Frame& frame) {
  std::lock_guard<std::mutex> l(mutex_);
  screen_ = frame;
}

void SimPlatform::SetScreenSize(int32_t width, int32_t height, uint32_t fill) {
  std::lock_guard<std::mutex> l(mutex_);
  screen_.Resize(width, height, fill);
}

Size SimPlatform::ScreenSize() {
  std::lock_guard<std::mutex> l(mutex_);
  return Size{screen_.width, screen_.height};
}

bool SimPlatform::CaptureScreen(Frame& out) {
  std::lock_guard<std::mutex> l(mutex_);
  ++captures_;
  out = screen_;
  return true;
}

bool SimPlatform::CaptureArea(const Rect& area, Frame& out, Point& origin) {
  std::lock_guard<std::mutex> l(mutex_);
  ++captures_;
  last_capture_area_ = area;
  const int32_t left = std::max(area.left, 0), top = std::max(area.top, 0);
  const int32_t right = std::min(area.right, screen_.width), bottom = std::min(area.bottom, screen_.height);
  origin = Point{left, top};
  if (left >= right || top >= bottom) {
    out.Resize(0, 0);
    return true;
  }
  out.Resize(right - left, bottom - top);
  const size_t w = static_cast<size_t>(right - left);
  for (int32_t y = top; y < bottom; ++y)
    std::copy_n(screen_.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(screen_.width) +
                    static_cast<size_t>(left),
                w, out.pixels.data() + static_cast<size_t>(y - top) * w);
  return true;
}

Rect SimPlatform::LastCaptureArea() {
  std::lock_guard<std::mutex> l(mutex_);
  return last_capture_area_;
}

void SimPlatform::Record(InputEvent event) {
  event.tick = tick_.load();
  std::lock_guard<std::mutex> l(mutex_);
  events_.push_back(event);
}

std::vector<InputEvent> SimPlatform::Events() {
  std::lock_guard<std::mutex> l(mutex_);
  return events_;
}

void SimPlatform::ClearEvents() {
  std::lock_guard<std::mutex> l(mutex_);
  events_.clear();
}

void SimPlatform::KeyEvent(uint8_t vk, bool key_up) {
  InputEvent e{key_up ? InputEvent::KeyUp : InputEvent::KeyDown};
  e.code = vk;
  Record(e);
}

void SimPlatform::PostKey(WindowHandle window, KeyMessage message, int32_t code) {
  InputEvent e{InputEvent::Post};
  e.window = window;
  e.message = message;
  e.code = code;
  Record(e);
}

void SimPlatform::SetCursorPos(int32_t x, int32_t y) {
  InputEvent e{InputEvent::Cursor};
  e.x = x;
  e.y = y;
  Record(e);
}

void SimPlatform::MouseEvent(uint32_t flags) {
  InputEvent e{InputEvent::Mouse};
  e.flags = flags;
  Record(e);
}

bool SimPlatform::PutText(const std::string& gbk) {
  if (clipboard_fails.load()) return false;
  std::lock_guard<std::mutex> l(mutex_);
  clipboard_ = gbk;
  ++clipboard_writes_;
  return true;
}

std::string SimPlatform::Clipboard() {
  std::lock_guard<std::mutex> l(mutex_);
  return clipboard_;
}

int SimPlatform::ClipboardWrites() {
  std::lock_guard<std::mutex> l(mutex_);
  return clipboard_writes_;
}

WindowHandle SimPlatform::AddWindow(const std::string& title, const std::string& class_name, Rect rect) {
  std::lock_guard<std::mutex> l(mutex_);
  SimWindow w;
  w.handle = 0x1000 + windows_.size() * 4;
  w.title = title;
  w.class_name = class_name;
  w.rect = rect;
  windows_.push_back(w);
  return w.handle;
}

void SimPlatform::CloseWindow(WindowHandle handle) {
  std::lock_guard<std::mutex> l(mutex_);
  for (auto& w : windows_)
    if (w.handle == handle) w.alive = false;
}

SimWindow SimPlatform::Window(WindowHandle handle) {
  std::lock_guard<std::mutex> l(mutex_);
  for (auto& w : windows_)
    if (w.handle == handle) return w;
  return SimWindow{};
}

void SimPlatform::SetWorkArea(Rect area) {
  std::lock_guard<std::mutex> l(mutex_);
  work_area_ = area;
}

WindowHandle SimPlatform::FindByTitle(const std::string& title) {
  std::lock_guard<std::mutex> l(mutex_);
  for (auto& w : windows_)
    if (w.alive && w.title == title) return w.handle;
  return 0;
}

WindowHandle SimPlatform::FindByClass(const std::string& class_name) {
  std::lock_guard<std::mutex> l(mutex_);
  for (auto& w : windows_)
    if (w.alive && w.class_name == class_name) return w.handle;
  return 0;
}

bool SimPlatform::IsWindow(WindowHandle window) {
  std::lock_guard<std::mutex> l(mutex_);
  for (auto& w : windows_)
    if (w.handle == window) return w.alive;
  return false;
}

bool SimPlatform::GetRect(WindowHandle window, Rect& out) {
  std::lock_guard<std::mutex> l(mutex_);
  for (auto& w : windows_)
    if (w.handle == window && w.alive) {
      out = w.rect;
      return true;
    }
  return false;
}

Rect SimPlatform::WorkArea() {
  std::lock_guard<std::mutex> l(mutex_);
  return work_area_;
}

void SimPlatform::Move(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height) {
  std::lock_guard<std::mutex> l(mutex_);
  for (auto& w : windows_)
    if (w.handle == window && w.alive) {
      w.rect = Rect{x, y, x + width, y + height};
      ++w.moves;
    }
}

void SimPlatform::SetTopmost(WindowHandle window, bool topmost) {
  std::lock_guard<std::mutex> l(mutex_);
  for (auto& w : windows_)
    if (w.handle == window && w.alive) w.topmost = topmost;
}

uint32_t SimPlatform::TickCount() {
  if (real_time_) {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  return tick_.load();
}

void SimPlatform::Sleep(uint32_t ms) {
  slept_ += ms;
  if (real_time_) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  } else {
    tick_ += ms;
    std::this_thread::yield();
  }
}

bool SimPlatform::Pause(uint32_t ms, RunFlag& flag) {
  if (real_time_) return flag.WaitWhileSet(ms);
  slept_ += ms;
  tick_ += ms;
  std::this_thread::yield();
  return flag.IsSet();
}

std::unique_ptr<WorkerThread> SimPlatform::Start(std::function<void()> body, ThreadPriority priority) {
  {
    std::lock_guard<std::mutex> l(mutex_);
    priorities_.push_back(priority);
  }
  if (!run_threads_) return std::make_unique<RecordedThread>();
  return std::make_unique<SimThread>(std::move(body));
}

void SimPlatform::WaitUntil(const std::function<bool()>& done) {
  while (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::vector<ThreadPriority> SimPlatform::StartedPriorities() {
  std::lock_guard<std::mutex> l(mutex_);
  return priorities_;
}

void SimPlatform::ClearStatus() {
  std::lock_guard<std::mutex> l(mutex_);
  status_.clear();
}

void SimPlatform::AppendStatus(const std::string& line) {
  std::lock_guard<std::mutex> l(mutex_);
  status_.push_back(line);
}

void SimPlatform::InsertStatusTop(const std::string& line) {
  std::lock_guard<std::mutex> l(mutex_);
  status_.insert(status_.begin(), line);
}

void SimPlatform::DeleteFirstStatusWithPrefix(const std::string& prefix) {
  std::lock_guard<std::mutex> l(mutex_);
  for (auto it = status_.begin(); it != status_.end(); ++it)
    if (it->compare(0, prefix.size(), prefix) == 0) {
      status_.erase(it);
      return;
    }
}

void SimPlatform::ShowMessage(const std::string& text, const std::string& caption, MessageOwner owner) {
  std::lock_guard<std::mutex> l(mutex_);
  messages_.push_back(ShownMessage{text, caption, owner});
}

std::vector<std::string> SimPlatform::Status() {
  std::lock_guard<std::mutex> l(mutex_);
  return status_;
}

std::vector<ShownMessage> SimPlatform::Messages() {
  std::lock_guard<std::mutex> l(mutex_);
  return messages_;
}

void SimPlatform::SetTitle(const std::string& title) {
  std::lock_guard<std::mutex> l(mutex_);
  title_ = title;
}

void SimPlatform::SetRunningControls(bool running) {
  std::lock_guard<std::mutex> l(mutex_);
  running_controls_ = running;
}

std::string SimPlatform::ScriptPath() {
  std::lock_guard<std::mutex> l(mutex_);
  return script_path_;
}

std::string SimPlatform::CpuPriorityText() {
  std::lock_guard<std::mutex> l(mutex_);
  return cpu_text_;
}

bool SimPlatform::ShowActions() { return show_actions.load(); }

void SimPlatform::RequestOpenUrl() { ++open_url_requests_; }

bool SimPlatform::StopRequested() { return stop_requested.load(); }

std::string SimPlatform::ExecutableDir() {
  std::lock_guard<std::mutex> l(mutex_);
  return exe_dir_;
}

// Paths reach the simulated file system as given and, failing that, as the
// UTF-8 spelling of their GBK bytes (script texts are GBK, Linux names UTF-8).
namespace {
std::string LocalPath(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return path;
  return GbkToUtf8(path);
}
}  // namespace

std::optional<uint64_t> SimPlatform::FileSize(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(LocalPath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

bool SimPlatform::ReadFile(const std::string& path, std::string& out) {
  if (path.empty()) return false;
  std::ifstream in(LocalPath(path), std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  out = buffer.str();
  return true;
}

bool SimPlatform::WriteFile(const std::string& path, const std::string& bytes) {
  if (path.empty()) return false;
  const std::string local = LocalPath(path);
  const std::string temp = local + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      ::unlink(temp.c_str());
      return false;
    }
  }
  if (::rename(temp.c_str(), local.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

bool SimPlatform::CreateFileIfMissing(const std::string& path) {
  if (path.empty()) return false;
  const int fd = ::open(LocalPath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  return errno == EEXIST;
}

namespace {
// "*" and "?" as the system's file search knows them (case-sensitive here).
bool WildcardMatch(const std::string& pattern, const std::string& name) {
  size_t p = 0, n = 0, star = std::string::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}
}  // namespace

std::vector<std::string> SimPlatform::ListFiles(const std::string& dir, const std::string& pattern, size_t* unlisted) {
  if (unlisted) *unlisted = 0;
  std::vector<std::string> names;
  DIR* d = ::opendir(LocalPath(dir).c_str());
  if (!d) return names;
  const std::string local_pattern = GbkToUtf8(pattern);
  while (const dirent* entry = ::readdir(d)) {
    const std::string name = entry->d_name;
    if (name.empty() || name[0] == '.' || !WildcardMatch(local_pattern, name)) continue;
    struct stat st {};
    if (::stat((LocalPath(dir) + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    names.push_back(Utf8ToGbk(name));
  }
  ::closedir(d);
  return names;
}

std::string SimPlatform::ReadProfile(const std::string& ini, const std::string& section, const std::string& key) {
  std::lock_guard<std::mutex> l(mutex_);
  auto it = profile_.find(ProfileKey(ini, section, key));
  return it == profile_.end() ? std::string() : it->second;
}

bool SimPlatform::WriteProfile(const std::string& ini, const std::string& section, const std::string& key,
                               const std::string& value) {
  std::lock_guard<std::mutex> l(mutex_);
  profile_[ProfileKey(ini, section, key)] = value;
  return true;
}

std::string SimPlatform::Profile(const std::string& ini, const std::string& section, const std::string& key) {
  return ReadProfile(ini, section, key);
}

void SimPlatform::SetProfile(const std::string& ini, const std::string& section, const std::string& key,
                             const std::string& value) {
  WriteProfile(ini, section, key, value);
}

bool SimPlatform::RenderDib(const uint8_t* info, size_t info_size, const uint8_t* bits, size_t bits_size,
                            Frame& out) {
  return SimRenderDib(info, info_size, bits, bits_size, out);
}

void SimPlatform::Trace(const std::string& line) {
  if (!keep_trace_) return;
  std::lock_guard<std::mutex> l(mutex_);
  trace_.push_back(line);
}

std::vector<std::string> SimPlatform::TraceLines() {
  std::lock_guard<std::mutex> l(mutex_);
  return trace_;
}

}  // namespace tora
