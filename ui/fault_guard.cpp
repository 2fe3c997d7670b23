#include "ui/fault_guard.h"

#include <windows.h>

#include <exception>
#include <new>

#include "engine/text_util.h"
#include "ui/texts.h"

namespace tora {

namespace {

std::function<void(const std::string&)>& Reporter() {
  static std::function<void(const std::string&)> reporter;
  return reporter;
}

}  // namespace

void SetFaultReporter(std::function<void(const std::string& line)> reporter) { Reporter() = std::move(reporter); }

void ReportFault(const char* where) noexcept {
  // A report that itself fails (no memory left for the line) or that runs
  // into another fault while the status list takes it stops here.
  static bool reporting = false;
  if (reporting) return;
  reporting = true;
  try {
    const char* reason = ui_texts::kFaultOther;
    std::string detail = "unknown exception";
    try {
      throw;
    } catch (const std::bad_alloc& e) {
      reason = ui_texts::kFaultNoMemory;
      detail = e.what();
    } catch (const std::exception& e) {
      detail = e.what();
    } catch (...) {
    }
    OutputDebugStringA(("fault in " + std::string(where) + ": " + detail + "\n").c_str());
    if (Reporter()) Reporter()(Format(ui_texts::kFaultLine, reason));
  } catch (...) {
  }
  reporting = false;
}

}  // namespace tora
