#pragma once
// The chart defaults a new recording takes from the view defaults.
#include "data/records.h"
#include "viewcfg/viewdef.h"

namespace acquire {

// Copies the view defaults into the header (axis modes, Y range, grids,
// colours), shows the grid, and gives channel i the default colour i mod 8.
void ApplyViewDefaults(const _tagViewDef& view, _tagDataHead* head);

}  // namespace acquire
