// The process: common controls, OLE and the rich-edit library, then the main
// window as a modal dialog; the process ends with it.
#pragma once

#include <windows.h>

namespace tora {

class CVelmApp {
 public:
  explicit CVelmApp(HINSTANCE instance) : instance_(instance) {}
  int Run();

 private:
  HINSTANCE instance_;
};

}  // namespace tora
