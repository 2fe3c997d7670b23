// GBK inside, UTF-16 at every Win32 call.
#pragma once

#include <windows.h>

#include <string>

namespace tora {

std::wstring Widen(const std::string& gbk);
std::string Narrow(const std::wstring& wide);
// Narrow, but false when a character has no GBK form (instead of a "?"),
// with the index of the first such character in bad_at when given.
bool NarrowStrict(const std::wstring& wide, std::string& gbk, size_t* bad_at = nullptr);

}  // namespace tora
