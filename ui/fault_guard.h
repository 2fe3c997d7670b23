// Where a C++ exception would leave one of our window procedures, hook
// procedures or callbacks into the system, it ends here instead: the system
// code between them and the message loop cannot pass it on, and the program
// would end. The user is told in a status line (the work of that one message
// is lost) and the program runs on.
#pragma once

#include <functional>
#include <string>

namespace tora {

// Who shows the line: the main window's status list while it exists; with
// none set, only the developer trace gets it.
void SetFaultReporter(std::function<void(const std::string& line)> reporter);

// Called inside a catch block: tells about the exception being handled.
// where names the procedure, for the developer trace.
void ReportFault(const char* where) noexcept;

// Runs body; an exception ends as a report, and fallback is returned.
template <typename Result, typename Body>
Result Guarded(const char* where, Result fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    ReportFault(where);
    return fallback;
  }
}

}  // namespace tora
