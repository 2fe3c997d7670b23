// GBK inside, UTF-16 at every Win32 call.
#pragma once

#include <windows.h>

#include <string>

namespace tora {

std::wstring Widen(const std::string& gbk);
std::string Narrow(const std::wstring& wide);

}  // namespace tora
