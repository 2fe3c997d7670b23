#include "editor/win32/help_view.h"

#include <vector>

#include "editor/help_text.h"
#include "editor/texts.h"
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace tora {
namespace {

// The help page is some 40 KB. The rich edit control takes seconds per
// megabyte under Wine, so a far larger file shows its beginning only.
constexpr DWORD kMostBytesRead = 256 << 10;

// The page's bytes, at most kMostBytesRead of them; cut tells whether there
// was more.
bool ReadPage(const std::string& path, std::string& bytes, bool& cut) {
  const KernelHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return false;
  const DWORD wanted = size.QuadPart > kMostBytesRead ? kMostBytesRead : static_cast<DWORD>(size.QuadPart);
  bytes.assign(wanted, '\0');
  DWORD got = 0;
  if (wanted > 0 && !ReadFile(file.get(), bytes.data(), wanted, &got, nullptr)) return false;
  bytes.resize(got);
  cut = size.QuadPart > kMostBytesRead;
  if (cut) {
    // Not in the middle of a character: a broken last character would make
    // a UTF-8 page read as GBK.
    while (!bytes.empty() && (static_cast<unsigned char>(bytes.back()) & 0xC0) == 0x80) bytes.pop_back();
    if (!bytes.empty() && static_cast<unsigned char>(bytes.back()) >= 0x80) bytes.pop_back();
  }
  return true;
}

std::wstring WidenUtf8(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

}  // namespace

bool HelpPageExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ShowHelpPage(WebPane& pane, const std::string& path) {
  std::string page;
  bool cut = false;
  std::vector<HelpBlock> blocks;
  if (!HelpPageExists(path) || !ReadPage(path, page, cut)) {
    // The full path, as a line of its own that can be copied.
    blocks = {{HelpBlockKind::kParagraph, GbkToUtf8(editor_texts::kHelpPageMissing)},
              {HelpBlockKind::kCode, GbkToUtf8(path)},
              {HelpBlockKind::kParagraph, GbkToUtf8(editor_texts::kHelpPageWhereItBelongs)}};
  } else if (pane.HasBrowser()) {
    pane.Navigate(path);
    return;
  } else {
    blocks = ReadableHelp(page);
    if (cut) blocks.push_back({HelpBlockKind::kParagraph, GbkToUtf8(editor_texts::kHelpPageCut)});
  }
  pane.ShowText(HelpRtf(blocks, editor_texts::kHelpTextFont, editor_texts::kHelpCodeFont),
                WidenUtf8(HelpPlainText(blocks)));
}

}  // namespace tora
