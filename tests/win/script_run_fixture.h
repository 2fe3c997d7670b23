// A whole run over the real platform: a GBK script file in a temp folder,
// the script host, its workers, and a stand-in main window. setup.ini, which
// every start writes beside the program, is removed again if the test
// created it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/registry.h"
#include "engine/script_host.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "tests/win/win_test_util.h"

namespace tora::test {

class ScriptRunFixture : public ::testing::Test {
 protected:
  ScriptRunFixture() : platform_(user_), host_(registry_, platform_.platform()) {
    user_.cpu_priority_text = texts::kPriorityNormal;
    ini_ = Widen(platform_.platform().files.ExecutableDir() + "\\" + texts::kSetupIni);
    ini_existed_ = GetFileAttributesW(ini_.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  ~ScriptRunFixture() override {
    host_.StopScript();
    host_.JoinWorkers();
    if (!ini_existed_) DeleteFileW(ini_.c_str());
  }

  // Script texts are GBK like every literal here.
  void Start(const std::string& script) {
    const std::string path = folder_.File("脚本.txt");
    ASSERT_TRUE(TempFolder::WriteBytes(path, script));
    user_.script_path = path;
    ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
    ASSERT_TRUE(host_.Running()) << "the script registered nothing that runs";
  }

  // A file of the temp folder as a Lua string literal holds it.
  std::string LuaPath(const std::string& name) const {
    std::string out;
    for (char c : folder_.File(name)) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
  }

  TempFolder folder_;
  FakeUser user_;
  ActionRegistry registry_;
  Win32Platform platform_;
  ScriptHost host_;
  std::wstring ini_;
  bool ini_existed_ = false;
};

}  // namespace tora::test
