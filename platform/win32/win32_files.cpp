// Files: the executable's directory, whole-file reads and setup.ini; and the
// developer trace.
#include <limits>
#include <new>

#include "platform/ini_text.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"

namespace tora {

namespace {

// Larger files are no script and no picture; reading them would only
// exhaust memory.
constexpr uint64_t kMaxReadBytes = uint64_t{512} << 20;

class View {
 public:
  explicit View(const void* p) : p_(p) {}
  ~View() {
    if (p_) UnmapViewOfFile(p_);
  }
  View(const View&) = delete;
  View& operator=(const View&) = delete;
  const char* get() const { return static_cast<const char*>(p_); }

 private:
  const void* p_;
};

bool ReadWholeFile(const std::wstring& path, std::string& out) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.get()) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return false;
  const auto bytes = static_cast<uint64_t>(size.QuadPart);
  if (bytes == 0) {  // an empty file cannot be mapped, and needs no mapping
    out.clear();
    return true;
  }
  if (bytes > kMaxReadBytes || bytes > std::numeric_limits<size_t>::max()) return false;
  KernelHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping.get()) return false;
  View view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(bytes)));
  if (!view.get()) return false;
  try {
    out.assign(view.get(), static_cast<size_t>(bytes));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool WriteNewFile(const std::wstring& path, const std::string& data) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.get()) return false;
  size_t done = 0;
  while (done < data.size()) {
    const size_t chunk = data.size() - done < (1u << 30) ? data.size() - done : (1u << 30);
    DWORD written = 0;
    if (!::WriteFile(file.get(), data.data() + done, static_cast<DWORD>(chunk), &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return FlushFileBuffers(file.get()) != 0;
}

// The old file is replaced only once the new bytes are complete on disk.
bool ReplaceWhole(const std::wstring& path, const std::string& data) {
  const std::wstring temp =
      path + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetCurrentThreadId());
  if (!WriteNewFile(temp, data) ||
      !MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::string Win32Files::ExecutableDir() {
  // Paths may be longer than MAX_PATH: grow until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return std::string();
    path.resize(path.size() * 2);
  }
  const size_t cut = path.rfind(L'\\');
  if (cut != std::wstring::npos) path.resize(cut);
  return Narrow(path);
}

std::optional<uint64_t> Win32Files::FileSize(const std::string& path) {
  if (path.empty()) return std::nullopt;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Win32Files::ReadFile(const std::string& path, std::string& out) {
  if (path.empty()) return false;
  return ReadWholeFile(Widen(path), out);
}

bool Win32Files::WriteFile(const std::string& path, const std::string& bytes) {
  if (path.empty()) return false;
  return ReplaceWhole(Widen(path), bytes);
}

bool Win32Files::CreateFileIfMissing(const std::string& path) {
  if (path.empty()) return false;
  // CREATE_NEW: a file that exists but cannot be opened (another program
  // holds it) must never be emptied.
  KernelHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                          nullptr));
  return file.get() != nullptr || GetLastError() == ERROR_FILE_EXISTS;
}

std::vector<std::string> Win32Files::ListFiles(const std::string& dir, const std::string& pattern, size_t* unlisted) {
  std::vector<std::string> names;
  if (unlisted) *unlisted = 0;
  WIN32_FIND_DATAW found;
  FileSearch search(Widen(dir + "\\" + pattern).c_str(), found);
  if (!search) return names;
  do {
    if (found.cFileName[0] == L'.' || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    std::string name;
    if (!NarrowStrict(found.cFileName, name)) {
      if (unlisted) ++*unlisted;
      continue;
    }
    names.push_back(std::move(name));
  } while (search.Next(found));
  return names;
}

// The profile stays GBK on disk whatever the system code page: the system's
// own profile functions would write it in the ANSI code page, so the text is
// read and written here.
std::string Win32Files::ReadProfile(const std::string& ini, const std::string& section, const std::string& key) {
  std::string text;
  if (ini.empty() || !ReadWholeFile(Widen(ini), text)) return std::string();
  return IniFindValue(text, section, key).value_or(std::string());
}

bool Win32Files::WriteProfile(const std::string& ini, const std::string& section, const std::string& key,
                              const std::string& value) {
  if (ini.empty()) return false;
  const std::wstring path = Widen(ini);
  std::string text;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // Only a missing file starts empty; one that cannot be read is kept.
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || !ReadWholeFile(path, text)) {
    return false;
  }
  if (!IniSetValue(text, section, key, value)) return false;
  return ReplaceWhole(path, text);
}

void Win32Trace::Trace(const std::string& line) { OutputDebugStringW(Widen(line).c_str()); }

}  // namespace tora
