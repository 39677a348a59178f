#include "acquire/headdefaults.h"

namespace acquire {

void ApplyViewDefaults(const _tagViewDef& view, _tagDataHead* head) {
  head->xMode = view.XMode;
  head->yMode = view.YMode;
  head->yLow = view.YLow;
  head->yHigh = view.YHi;
  head->xGrids = view.XGrids;
  head->yGrids = view.YGrids;
  head->clrGrid = view.ClrGrid;
  head->clrBack = view.ClrBK;
  head->gridShown = 1;
  for (int i = 0; i < kMaxChannels; ++i) head->channels[i].colour = view.clrChnl[i % 8];
}

}  // namespace acquire
