// The script host: turns the chosen script file into a run, and stops it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/registry.h"
#include "platform/platform.h"

namespace tora {

class ScriptHost {
 public:
  ScriptHost(ActionRegistry& registry, Platform& platform);
  ~ScriptHost();
  ScriptHost(const ScriptHost&) = delete;
  ScriptHost& operator=(const ScriptHost&) = delete;

  // How a start ended.
  enum class Outcome { NoPath, NotFound, Empty, SyntaxError, Loaded };

  // Starts a run from the script named in the main window.
  Outcome RunScript();
  // Ends the run: clears the run flag, releases pinned windows, restores controls.
  void StopScript();
  // Waits for the workers of the last run to end (at program exit).
  void JoinWorkers();

  // Ends a script that runs longer than this many milliseconds at its top
  // level (0 = no limit; the program relies on the stop request instead).
  void SetScriptTimeLimit(uint32_t ms) { time_limit_ms_ = ms; }
  // Whether the last script ran into the time limit.
  bool TimedOut() const { return timed_out_; }

  bool Running() const { return registry_.run_flag.IsSet(); }

  // The warning lines of the last start, as the status list shows them.
  const std::vector<std::string>& Warnings() const { return warnings_; }
  // Whether a window rule whose window is not there yet gets a status line
  // (a checker without windows turns it off).
  void SetReportWaitingWindows(bool on) { report_waiting_windows_ = on; }

 private:
  ActionRegistry& registry_;
  Platform& platform_;
  std::vector<std::unique_ptr<WorkerThread>> workers_;
  uint32_t time_limit_ms_ = 0;
  bool timed_out_ = false;
  std::vector<std::string> warnings_;
  bool report_waiting_windows_ = true;
};

// Maps the CPU-priority box text to a worker thread priority.
ThreadPriority PriorityFromText(const std::string& text);

// Cuts the chunk name ("path:") from an interpreter message so that what is
// left starts with the line number.
std::string StripChunkPrefix(const std::string& message, const std::string& path);

}  // namespace tora
