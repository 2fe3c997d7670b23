// Control ids of the editor's "帮助" page (template 165): the web pane that
// fills it.
#pragma once

#define IDC_HELP_PANE 1000
