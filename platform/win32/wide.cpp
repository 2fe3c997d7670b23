#include "platform/win32/wide.h"

namespace tora {

std::wstring Widen(const std::string& gbk) {
  if (gbk.empty()) return {};
  const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

namespace {
bool CharFitsGbk(const wchar_t* c, int len) {
  BOOL used_default = FALSE;
  char out[8];
  const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, c, len, out, sizeof out, nullptr, &used_default);
  return n > 0 && !used_default;
}
}  // namespace

bool NarrowStrict(const std::wstring& wide, std::string& gbk, size_t* bad_at) {
  gbk.clear();
  if (wide.empty()) return true;
  BOOL used_default = FALSE;
  const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, &used_default);
  if (n > 0 && !used_default) {
    gbk.resize(static_cast<size_t>(n));
    WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), gbk.data(), n,
                        nullptr, nullptr);
    return true;
  }
  if (bad_at) {
    // Only on failure: find the first character that does not fit.
    *bad_at = wide.size();
    for (size_t i = 0; i < wide.size(); ++i) {
      const int len = (IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size()) ? 2 : 1;
      if (!CharFitsGbk(wide.data() + i, len)) {
        *bad_at = i;
        break;
      }
      i += static_cast<size_t>(len - 1);
    }
  }
  return false;
}

}  // namespace tora
