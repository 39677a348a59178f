// Arbitrary bytes on the simulator's line: cut into requests, answered,
// spoilt by a fault and framed, for a recorder of either family.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "faults.h"
#include "framing.h"
#include "server.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  using namespace recsim;
  Recorder r;
  r.model = (data[0] & 1) ? "KVP6GV2" : ((data[0] & 2) ? "KVR8GV2" : "KVP5LV1");
  r.wallClock = false;
  r.fixedNewest = 1765072800;
  r.intervalIndex = data[0] >> 4;
  for (int m = 0; m < (data[1] & 63); ++m) r.channels.push_back(DefaultChannel(m));
  FrameSplitter splitter(r.family());
  Server server(r);
  FaultInjector faults(data[0]);
  static const char* kRules[] = {"short:bytes=3", "count", "exception", "station", "truncate",
                                 "corrupt"};
  FaultRule rule;
  std::string error;
  ParseFaultRule(kRules[data[1] % 6], &rule, &error);
  rule.rate = 0.5;
  faults.Add(rule);
  splitter.Feed(data + 2, size - 2);
  Request q;
  for (bool silence : {false, true}) {
    while (splitter.Next(silence, &q)) {
      Answer a = server.Handle(q);
      if (!a.reply) continue;
      const FaultPlan plan = faults.Choose(q.pdu[1], q.framing);
      SpoilPdu(plan, a.countAt, &a.pdu);
      std::vector<uint8_t> frame = EncodeReply(q.framing, a.pdu, data[0] & 8);
      SpoilFrame(plan, q.framing, &frame);
      DescribeWire(q);
    }
  }
  return 0;
}
