// Control ids of the magnifier (template 143).
#pragma once

#define IDC_ZOOM_POSITION 1092
#define IDC_ZOOM_VIEW 1093
#define IDC_ZOOM_COLOUR 1094
#define IDC_ZOOM_SWATCH 1095
