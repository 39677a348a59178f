#pragma once
// The demo recorder: samples that look like a plant rather than a test
// pattern, for people who try recview without hardware (recsim --demo).
//
// Channel m plays one of four parts in turn: a furnace temperature, a line
// pressure, a flow and a humidity, each with its own name, unit, range and
// alarm limits. Their counts are smooth curves of the sample time (a day's
// swing, slower drift, a process cycle) with a little noise, and now and then
// a short excursion beyond the alarm limits. Like the test pattern, a sample
// depends only on the channel and its time, so that every read of the same
// sample gives the same count.
#include <cstdint>
#include <ctime>

#include "recorder.h"

namespace recsim {

// The count (0-65535) of demo channel m at time t.
uint16_t DemoRaw(int channel, int64_t t);

// The definition of demo channel m.
Channel DemoChannel(int m);

// Turns the recorder into the demo recorder: demo samples, and demo
// definitions for its channels (names, units, ranges and limits).
void MakeDemo(Recorder* r);

}  // namespace recsim
