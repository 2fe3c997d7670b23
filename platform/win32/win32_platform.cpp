#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_ports.h"

namespace tora {

struct Win32Platform::Ports {
  explicit Ports(UserPort& user)
      : platform{screen, input, clipboard, windows, clock, threads, user, files, images, trace} {}

  Win32Screen screen;
  Win32Input input;
  Win32Clipboard clipboard;
  Win32Windows windows;
  Win32Clock clock;
  Win32Threads threads;
  Win32Files files;
  Win32Images images;
  Win32Trace trace;
  Platform platform;
};

Win32Platform::Win32Platform(UserPort& user) : ports_(std::make_unique<Ports>(user)) {}

Win32Platform::~Win32Platform() = default;

Platform& Win32Platform::platform() { return ports_->platform; }

}  // namespace tora
