// Control ids of the editor's "其它" page (template 167). The paste text box
// has the id 1009 inside the page, like the editor's repeat list in the
// editor window.
#pragma once

#define IDC_OTHER_PASTE_TEXT 1009
#define IDC_OTHER_INSERT_TEXT 1102
#define IDC_OTHER_WEB_ADDRESS 1135
#define IDC_OTHER_INSERT_ADDRESS 1136
#define IDC_OTHER_PAUSE 1051
