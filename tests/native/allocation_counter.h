// The largest heap block the calling thread asks for between a start and a
// stop, through a replacement of the global operator new.
#pragma once

#include <cstddef>

namespace tora::test {

void StartCountingAllocations();
size_t StopCountingAllocations();

}  // namespace tora::test
