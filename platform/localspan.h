#pragma once
// Local times that come twice. Where the clocks go back, the local times of
// the hour before the change come twice and each names two instants; a time
// given as text or picked in a window stands for the one that lies in the
// span it is meant for. No Qt.
#include <ctime>

namespace platform {

enum class SpanEdge { Start, End };

// `t`, or the other instant of the same local time, whichever lies in
// [first, last]; when both do, a span's start takes the earlier and its end
// the later (so a span's own first and last times, as printed, name the whole
// span); when neither does, `t`. Any other time is returned as it is.
time_t WithinSpan(time_t t, time_t first, time_t last, SpanEdge edge);

}  // namespace platform
