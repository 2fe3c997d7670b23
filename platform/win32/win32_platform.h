// The real platform: every port of the seam over the Win32 calls, except the
// main window's side (UserPort), which the program's main window provides.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace tora {

class Win32Platform {
 public:
  explicit Win32Platform(UserPort& user);
  ~Win32Platform();
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Platform& platform();

 private:
  struct Ports;
  std::unique_ptr<Ports> ports_;
};

}  // namespace tora
