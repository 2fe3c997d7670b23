// The help page in a web pane, wherever the program shows it: the browser
// engine's rendering where the system has one, otherwise the page's text
// as the program reads it; a page that is missing says where it was looked
// for.
#pragma once

#include <string>

#include "ui/web_pane.h"

namespace tora {

// path: the help page's full path (GBK).
void ShowHelpPage(WebPane& pane, const std::string& path);

// Whether the help page can be read at path.
bool HelpPageExists(const std::string& path);

}  // namespace tora
