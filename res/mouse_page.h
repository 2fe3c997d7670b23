// Control ids of the editor's "鼠标" page (template 138).
#pragma once

#define IDC_MOUSE_KIND 1036
#define IDC_MOUSE_POSITION 1067
#define IDC_MOUSE_COORD_TYPE 1051
#define IDC_MOUSE_PAUSE 1079
#define IDC_MOUSE_INSERT 1068
