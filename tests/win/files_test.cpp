// Files and setup.ini through the wide calls, with Chinese names.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"
#include "tests/win/win_test_util.h"

namespace tora {
namespace {

using test::TempFolder;

TEST(Files, ExecutableDirIsTheFolderOfTheRunningProgram) {
  Win32Files files;
  const std::string dir = files.ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), '\\');
  std::wstring module(32768, L'\0');
  module.resize(GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size())));
  EXPECT_EQ(Widen(dir), module.substr(0, module.rfind(L'\\')));
  EXPECT_TRUE(files.FileSize(dir + "\\win_tests.exe").has_value());
}

TEST(Files, SizeOfFilesOnlyNotFolders) {
  TempFolder folder;
  Win32Files files;
  ASSERT_TRUE(TempFolder::WriteBytes(folder.File("脚本.txt"), "12345"));
  ASSERT_TRUE(TempFolder::WriteBytes(folder.File("空.txt"), ""));
  EXPECT_EQ(files.FileSize(folder.File("脚本.txt")), std::optional<uint64_t>(5));
  EXPECT_EQ(files.FileSize(folder.File("空.txt")), std::optional<uint64_t>(0));
  EXPECT_FALSE(files.FileSize(folder.gbk()).has_value());
  EXPECT_FALSE(files.FileSize(folder.File("没有.txt")).has_value());
  EXPECT_FALSE(files.FileSize("").has_value());
}

TEST(Files, ReadGivesEveryByte) {
  TempFolder folder;
  Win32Files files;
  std::string bytes = "按键\r\n";
  bytes += std::string("\0\xFF\x80\n", 4);
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7);
  ASSERT_TRUE(TempFolder::WriteBytes(folder.File("数据.bin"), bytes));
  std::string out = "old";
  ASSERT_TRUE(files.ReadFile(folder.File("数据.bin"), out));
  EXPECT_EQ(out, bytes);

  ASSERT_TRUE(TempFolder::WriteBytes(folder.File("空.txt"), ""));
  out = "old";
  ASSERT_TRUE(files.ReadFile(folder.File("空.txt"), out));
  EXPECT_EQ(out, "");

  EXPECT_FALSE(files.ReadFile(folder.File("没有.txt"), out));
  EXPECT_FALSE(files.ReadFile(folder.gbk(), out));
  EXPECT_FALSE(files.ReadFile("", out));
}

TEST(Files, ReadWhileAnotherReaderHoldsTheFile) {
  TempFolder folder;
  Win32Files files;
  ASSERT_TRUE(TempFolder::WriteBytes(folder.File("共享.txt"), "abc"));
  HANDLE other = CreateFileW(Widen(folder.File("共享.txt")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  std::string out;
  EXPECT_TRUE(files.ReadFile(folder.File("共享.txt"), out));
  EXPECT_EQ(out, "abc");
  CloseHandle(other);
}

// setup.ini stays GBK on disk whatever the system code page is.
TEST(Profile, WrittenAsGbkAndReadBack) {
  TempFolder folder;
  Win32Files files;
  const std::string ini = folder.File("setup.ini");
  EXPECT_EQ(files.ReadProfile(ini, "设置", "默认脚本"), "") << "no file yet";
  EXPECT_EQ(TempFolder::ReadBytes(ini), "<missing>") << "reading creates nothing";
  ASSERT_TRUE(files.WriteProfile(ini, "设置", "默认脚本", "C:\\按键\\脚本一.txt"));
  EXPECT_EQ(TempFolder::ReadBytes(ini), "[设置]\r\n默认脚本=C:\\按键\\脚本一.txt\r\n");
  EXPECT_EQ(files.ReadProfile(ini, "设置", "默认脚本"), "C:\\按键\\脚本一.txt");
  ASSERT_TRUE(files.WriteProfile(ini, "设置", "默认脚本", "D:\\二.txt"));
  EXPECT_EQ(TempFolder::ReadBytes(ini), "[设置]\r\n默认脚本=D:\\二.txt\r\n");
}

TEST(Profile, KeepsWhatElseTheFileHolds) {
  TempFolder folder;
  Win32Files files;
  const std::string ini = folder.File("setup.ini");
  const std::string before = "; 用户的注释\r\n[其他]\r\n键=值\r\n\r\n[设置]\r\n默认脚本 = 旧.txt\r\n别的=1\r\n";
  ASSERT_TRUE(TempFolder::WriteBytes(ini, before));
  ASSERT_TRUE(files.WriteProfile(ini, "设置", "默认脚本", "新.txt"));
  EXPECT_EQ(TempFolder::ReadBytes(ini),
            "; 用户的注释\r\n[其他]\r\n键=值\r\n\r\n[设置]\r\n默认脚本 = 新.txt\r\n别的=1\r\n");
  EXPECT_EQ(files.ReadProfile(ini, "其他", "键"), "值");
}

TEST(Profile, ValuesOfAnyLength) {
  TempFolder folder;
  Win32Files files;
  const std::string ini = folder.File("setup.ini");
  std::string long_value = "C:\\";
  while (long_value.size() < 20000) long_value += "很长的路径\\";
  ASSERT_TRUE(files.WriteProfile(ini, "设置", "默认脚本", long_value));
  EXPECT_EQ(files.ReadProfile(ini, "设置", "默认脚本"), long_value);
}

// The new text replaces the file only when it is complete: no temporary file
// stays behind, and a write that cannot happen leaves the old file alone.
TEST(Profile, ReplacesTheFileWholeOrNotAtAll) {
  TempFolder folder;
  Win32Files files;
  const std::string ini = folder.File("setup.ini");
  ASSERT_TRUE(files.WriteProfile(ini, "设置", "默认脚本", "一.txt"));
  ASSERT_TRUE(files.WriteProfile(ini, "设置", "默认脚本", "二.txt"));
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder.wide() + L"\\*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  std::vector<std::wstring> names;
  do {
    if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..") names.push_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  EXPECT_EQ(names, std::vector<std::wstring>{L"setup.ini"});

  const std::string before = TempFolder::ReadBytes(ini);
  EXPECT_FALSE(files.WriteProfile(ini, "设置", "默认脚本", "换\r\n[行]")) << "a value that would break the file";
  EXPECT_EQ(TempFolder::ReadBytes(ini), before);
  EXPECT_FALSE(files.WriteProfile(folder.File("没有的目录\\setup.ini"), "设置", "默认脚本", "x"));
  EXPECT_FALSE(files.WriteProfile(folder.gbk(), "设置", "默认脚本", "x")) << "a folder is no profile";
}

// A script save: the file is replaced whole, a failed write leaves the old
// one; the script list holds files only, in the folder's own order.
TEST(Files, WriteReplacesWholeAndListsOnlyFiles) {
  TempFolder folder;
  Win32Files files;
  const std::string script = folder.File("脚本.txt");
  ASSERT_TRUE(files.WriteFile(script, "旧\r\r\n"));
  ASSERT_TRUE(files.WriteFile(script, "新的\r\r\n"));
  EXPECT_EQ(TempFolder::ReadBytes(script), "新的\r\r\n");
  EXPECT_FALSE(files.WriteFile(folder.File("没有的目录\\a.txt"), "x"));
  EXPECT_FALSE(files.WriteFile(folder.gbk(), "x")) << "a folder is no script";

  EXPECT_TRUE(files.CreateFileIfMissing(folder.File("空.txt")));
  EXPECT_TRUE(files.CreateFileIfMissing(script));
  EXPECT_EQ(TempFolder::ReadBytes(script), "新的\r\r\n") << "an existing file is never emptied";

  CreateDirectoryW(Widen(folder.File("目录.txt")).c_str(), nullptr);
  ASSERT_TRUE(TempFolder::WriteBytes(folder.File(".隐藏.txt"), "x"));
  ASSERT_TRUE(TempFolder::WriteBytes(folder.File("别的.bmp"), "x"));
  std::vector<std::string> names = files.ListFiles(folder.gbk(), "*.txt");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"脚本.txt", "空.txt"}));
}

}  // namespace
}  // namespace tora
