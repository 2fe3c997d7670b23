// Control ids of the magnifier (template 143).
#pragma once

#define IDC_MAGNIFIER_POSITION 1092
#define IDC_MAGNIFIER_VIEW 1093
#define IDC_MAGNIFIER_COLOUR 1094
#define IDC_MAGNIFIER_SWATCH 1095
