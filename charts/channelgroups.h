#pragma once
// The channel commands every curve view shares: show all, hide all, the next
// and the previous group of four, and toggling one channel. They only work
// out the new shown flags; the view writes them into its file.
#include <cstdint>

namespace charts {

// For a channel command id of a recording of chnlCount channels whose shown
// flags are current (64 entries): the new flags (64 entries) and the group
// index after it. False for an id that is none of these commands (or a
// channel toggle beyond chnlCount, or a recording without channels).
bool ShownFlagsOfCommand(int id, int chnlCount, const uint8_t* current, int groupIndex,
                         uint8_t* flags, int* newGroupIndex);

}  // namespace charts
