#include "charts/channelgroups.h"

#include <algorithm>
#include <cstring>

#include "platform/ui/commandids.h"

namespace charts {

bool ShownFlagsOfCommand(int id, int chnlCount, const uint8_t* current, int groupIndex,
                         uint8_t* flags, int* newGroupIndex) {
  const int n = std::min(chnlCount, 64);
  if (n <= 0) return false;
  *newGroupIndex = groupIndex;
  if (id >= ID_CHNL_TOGGLE && id <= ID_CHNL_TOGGLE_LAST) {
    const int ch = id - ID_CHNL_TOGGLE;
    if (ch >= n) return false;
    std::memcpy(flags, current, 64);
    flags[ch] = flags[ch] ? 0 : 1;
    return true;
  }
  std::memset(flags, 0, 64);
  switch (id) {
    case ID_SHOW_ALL_CHNL:
      for (int i = 0; i < n; ++i) flags[i] = 1;
      *newGroupIndex = 0;
      return true;
    case ID_HIDE_ALL_CHNL:
      *newGroupIndex = 0;
      return true;
    case ID_NEXT_CHNL_GROUP: {
      for (int i = groupIndex; i < std::min(groupIndex + 4, n); ++i) flags[i] = 1;
      const int next = groupIndex + 4;
      *newGroupIndex = next >= n ? 0 : next;
      return true;
    }
    case ID_PREV_CHNL_GROUP: {
      for (int i = std::max(groupIndex - 3, 0); i <= groupIndex && i < n; ++i) flags[i] = 1;
      const int next = groupIndex - 4;
      *newGroupIndex = next < 0 ? n - 1 : next;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace charts
