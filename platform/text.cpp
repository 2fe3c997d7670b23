#include "platform/text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <vector>

namespace tora {

#ifdef _WIN32

namespace {
std::string Convert(const std::string& in, UINT from, UINT to) {
  if (in.empty()) return {};
  int wide_len = MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(wide_len), L'\0');
  MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), wide.data(), wide_len);
  int out_len = WideCharToMultiByte(to, 0, wide.data(), wide_len, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(out_len), '\0');
  WideCharToMultiByte(to, 0, wide.data(), wide_len, out.data(), out_len, nullptr, nullptr);
  return out;
}
}  // namespace

std::string GbkToUtf8(const std::string& gbk) { return Convert(gbk, 936, CP_UTF8); }
std::string Utf8ToGbk(const std::string& utf8) { return Convert(utf8, CP_UTF8, 936); }

#else

namespace {
// Converts with iconv, replacing each byte that does not convert.
std::string Convert(const std::string& in, const char* from, const char* to, const std::string& replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  std::string out;
  std::vector<char> buffer(4096);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  while (src_left > 0) {
    char* dst = buffer.data();
    size_t dst_left = buffer.size();
    size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buffer.data(), buffer.size() - dst_left);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      out += replacement;
      ++src;
      --src_left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}
}  // namespace

std::string GbkToUtf8(const std::string& gbk) { return Convert(gbk, "GBK", "UTF-8", "\xEF\xBF\xBD"); }
std::string Utf8ToGbk(const std::string& utf8) { return Convert(utf8, "UTF-8", "GBK", "?"); }

#endif

}  // namespace tora
