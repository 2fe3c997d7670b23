// Runs the tora-check tool from a folder and collects what it prints.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace tora::testing {

struct ToolRun {
  int status = -1;  // exit status; -1 when the process did not exit normally
  std::string out;
};

// Sanitizer reports get exit codes of their own, so that a crash can never
// pass for an ordinary exit status; a tool that hangs is ended (exit status
// 124) rather than hanging the suite.
inline ToolRun RunToraCheck(const std::string& cwd, const std::string& args, const std::string& err_file) {
  ToolRun r;
  const std::string command = "cd '" + cwd + "' && ASAN_OPTIONS=exitcode=86 UBSAN_OPTIONS=exitcode=87:halt_on_error=1 " +
                              "timeout 120 '" + TORA_CHECK_EXE + "' " + args + " 2>'" + err_file + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) r.out.append(chunk, n);
  const int status = pclose(pipe);
  if (WIFEXITED(status)) r.status = WEXITSTATUS(status);
  return r;
}

}  // namespace tora::testing
