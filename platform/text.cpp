#include "platform/text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <climits>
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

bool Utf8ToGbkStrict(const std::string& utf8, std::string& gbk) {
  gbk.clear();
  if (utf8.empty()) return true;
  // The conversion functions take int lengths.
  if (utf8.size() > static_cast<size_t>(INT_MAX)) return false;
  const int in_len = static_cast<int>(utf8.size());
  const int wide_len = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), in_len, nullptr, 0);
  if (wide_len <= 0) return false;
  std::wstring wide(static_cast<size_t>(wide_len), L'\0');
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), in_len, wide.data(), wide_len) != wide_len)
    return false;
  // Without WC_NO_BEST_FIT_CHARS a character would quietly become a look-alike.
  BOOL used_default = FALSE;
  const int out_len =
      WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), wide_len, nullptr, 0, nullptr, &used_default);
  if (out_len <= 0 || used_default) return false;
  std::string out(static_cast<size_t>(out_len), '\0');
  if (WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), wide_len, out.data(), out_len, nullptr,
                          &used_default) != out_len ||
      used_default)
    return false;
  gbk = std::move(out);
  return true;
}

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

bool Utf8ToGbkStrict(const std::string& utf8, std::string& gbk) {
  gbk.clear();
  // CP936 is Windows' own table (it has the euro sign at 0x80); plain GBK is
  // the fallback where iconv does not know that name.
  iconv_t cd = iconv_open("CP936", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string out;
  std::vector<char> buffer(4096);
  char* src = const_cast<char*>(utf8.data());
  size_t src_left = utf8.size();
  bool ok = true;
  while (src_left > 0) {
    char* dst = buffer.data();
    size_t dst_left = buffer.size();
    const size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buffer.data(), buffer.size() - dst_left);
    // EILSEQ: invalid UTF-8 or no GBK form; EINVAL: a sequence cut short.
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      ok = false;
      break;
    }
  }
  iconv_close(cd);
  if (ok) gbk = std::move(out);
  return ok;
}

#endif

}  // namespace tora
