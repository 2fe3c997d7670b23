// The program's version, in the one place that the version resources, the
// about box and scripts/release.sh (the zips' names) all read it from.
#pragma once

#define TORA_VERSION_MAJOR 1
#define TORA_VERSION_MINOR 4
#define TORA_VERSION_PATCH 0
#define TORA_VERSION_TEXT "1.4.0"
