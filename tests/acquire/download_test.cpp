// Downloads from recsim on a pseudo-terminal: every count of the file must be
// recsim's sample function at the place the protocol says.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <string>

#include "data/cxfile.h"
#include "downloadfixture.h"

using acquire::ConnectStatus;
using acquire::PrepareStatus;
using acquire::RunStatus;
using acquire::SpanStatus;
using dltest::Exists;
using dltest::Local;
using dltest::SimRaw;
using DownloadTest = dltest::DownloadTest;

namespace {

constexpr uint32_t kRing = 262144;

// The ring slot the register family keeps record `slot` of a download in.
uint32_t RingSlot(uint32_t newestIndex, time_t newest, time_t start, int interval, int slot) {
  const int64_t back = (newest - start) / interval;
  return static_cast<uint32_t>(((static_cast<int64_t>(newestIndex) - back + slot) % kRing + kRing) %
                               kRing);
}

}  // namespace

TEST(DownloadHelpers, NamesIntervalsModelsAndRate) {
  EXPECT_EQ(acquire::ProposedFileName(8, Local("2026-12-07 10:00:05"), "KVD"),
            "008@2026-12-07 10_00_05.KVD");
  EXPECT_EQ(acquire::ProposedFileName(123, Local("2026-01-02 03:04:05"), "KVD"),
            "123@2026-01-02 03_04_05.KVD");
  const int seconds[] = {1, 2, 5, 10, 15, 30, 60, 120, 240};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(acquire::IntervalSeconds(i), seconds[i]);
  EXPECT_EQ(acquire::IntervalSeconds(9), -1);
  EXPECT_EQ(acquire::ModelRow("KVR6GV2"), 0);
  EXPECT_EQ(acquire::ModelRow("KVR5M"), 0);
  EXPECT_EQ(acquire::ModelRow(std::string("KVR6M\0\0\0", 8)), 0);
  EXPECT_EQ(acquire::ModelRow("KVR8GV2xyz"), 1);  // the first 7 characters decide
  EXPECT_EQ(acquire::ModelRow("KVR8EV2"), 1);
  EXPECT_EQ(acquire::ModelRow("KVR9GV2"), -1);
  EXPECT_EQ(acquire::ModelRow("KVR5MX"), -1);
  // A download that took less than a second still has a rate.
  acquire::DownloadReport r;
  r.totalBytes = 1000;
  r.elapsedMs = 250;
  EXPECT_DOUBLE_EQ(r.Rate(), 4000.0);
  r.elapsedMs = 0;
  EXPECT_DOUBLE_EQ(r.Rate(), 1000000.0);
}

// Register family, row 0: a span whose reads cross the end of the rings, then
// a span of exactly two full passes; the header carries the channel blocks,
// the device words of the RTU read and the view defaults.
TEST_F(DownloadTest, RegisterRowZeroAcrossTheRingEnd) {
  StartSim({"--model", "KVR6GV2", "--channels", "2", "--title", "Kessel 3", "--clock",
            "2026-12-07 10:00:00", "--newest-index", "100", "--chan",
            "0:name=温度,unit=℃,low=-50.0,high=150.0,l1=1.5,l2=2.5,l3=-10.0,l4=120.0,l5=7.25",
            "--chan", "1:log=-2:3"});
  Connect();
  const acquire::RecorderSpan& span = session_.Span();
  EXPECT_EQ(span.family, acquire::Family::Register);
  EXPECT_EQ(span.modelRow, 0);
  EXPECT_EQ(span.interval, 1);
  EXPECT_EQ(span.newest, Local("2026-12-07 10:00:00"));
  EXPECT_EQ(span.earliest, span.newest - 262143);
  EXPECT_EQ(span.newestIndex, 100u);

  // 301 records from ring slot 261944: the second pass reads 72 samples at the
  // end of each ring and 56 from its start.
  const time_t start = Local("2026-12-07 09:55:00"), end = Local("2026-12-07 10:00:00");
  int calls = 0, last = -1, maximum = 0;
  ASSERT_EQ(Download(start, end, false,
                     [&](int v, int m) {
                       ++calls;
                       last = v;
                       maximum = m;
                     }),
            RunStatus::Completed);
  EXPECT_EQ(maximum, 2 * 3);  // channels x passes
  EXPECT_EQ(last, maximum);
  EXPECT_GE(calls, 7);
  EXPECT_EQ(session_.Report().totalBytes, 301 * 2 * 2);
  EXPECT_EQ(session_.Report().records, 301);
  EXPECT_GT(session_.Report().Rate(), 0);

  dltest::FileCounts c = Counts();
  ASSERT_EQ(c.bytes.size(), 1024u + 160 * 2 + 2 * 2 * 301);
  for (int m = 0; m < 2; ++m)
    for (int s = 0; s < 301; ++s)
      ASSERT_EQ(c.At(m, s), SimRaw(m, RingSlot(100, span.newest, start, 1, s))) << m << " " << s;

  CXFile f;
  ASSERT_TRUE(f.Open(path_));
  EXPECT_EQ(f.GetModel(), "KVR6GV2");
  EXPECT_EQ(f.GetTitle(), "Kessel 3");
  EXPECT_EQ(f.GetStation(), 8);
  EXPECT_EQ(f.GetInterval(), 1);
  EXPECT_EQ(f.GetStartTime(), start);
  EXPECT_EQ(f.GetEndTime(), end);
  EXPECT_EQ(f.GetRecordCount(), 301);
  EXPECT_EQ(f.GetChnlCount(), 2);
  EXPECT_EQ(f.GetChnlName(0), "温度");
  EXPECT_EQ(f.GetChnlUnit(0), "℃");
  EXPECT_FLOAT_EQ(f.GetRangeLow(0), -50.0f);
  EXPECT_FLOAT_EQ(f.GetRangeHigh(0), 150.0f);
  EXPECT_FLOAT_EQ(f.GetLimit(0, 1), 1.5f);
  EXPECT_FLOAT_EQ(f.GetLimit(0, 2), 2.5f);
  EXPECT_FLOAT_EQ(f.GetLimit(0, 3), -10.0f);
  EXPECT_FLOAT_EQ(f.GetLimit(0, 4), 120.0f);
  EXPECT_FLOAT_EQ(f.GetLimit(0, 5), 7.25f);
  EXPECT_EQ(f.GetChnlName(1), "通道2");
  const _tagDataHead& h = f.Head();
  EXPECT_EQ(h.channels[1].logScale, 1);
  EXPECT_EQ(h.channels[1].rangeLow.decimals, 0xFE);
  EXPECT_EQ(h.channels[1].rangeHigh.decimals, 3);
  EXPECT_EQ(f.GetChnlDef(0), 0xD000005Au);
  EXPECT_EQ(f.GetChnlDef(1), 0xD000015Au);
  EXPECT_EQ(h.lastIndex, 300);
  EXPECT_EQ(h.capacity, 301);
  EXPECT_EQ(h.ringStart, 0);
  EXPECT_EQ(h.valueWidth, 2);
  EXPECT_EQ(h.xMode, 1);
  EXPECT_EQ(h.yMode, 1);
  EXPECT_FLOAT_EQ(h.yLow, -5);
  EXPECT_FLOAT_EQ(h.yHigh, 105);
  EXPECT_EQ(h.xGrids, 6);
  EXPECT_EQ(h.yGrids, 4);
  EXPECT_EQ(h.clrGrid, 0x808080u);
  EXPECT_EQ(h.clrBack, 0x102030u);
  EXPECT_EQ(h.gridShown, 1);
  EXPECT_EQ(h.expFormat, 1);
  for (int m = 0; m < 2; ++m) {
    EXPECT_EQ(h.channels[m].colour, 0x010101u * static_cast<uint32_t>(m + 1));
    EXPECT_EQ(h.channels[m].shown, 1);
    EXPECT_EQ(h.channels[m].penWidth, 1);
  }
  f.Close();

  // 256 records up to the newest: exactly two full passes.
  const time_t start2 = span.newest - 255;
  ASSERT_EQ(Download(start2, span.newest), RunStatus::Completed);
  c = Counts();
  ASSERT_EQ(c.capacity, 256);
  for (int m = 0; m < 2; ++m)
    for (int s = 0; s < 256; ++s)
      ASSERT_EQ(c.At(m, s), SimRaw(m, RingSlot(100, span.newest, start2, 1, s))) << m << " " << s;
  EXPECT_EQ(c.At(0, 255), SimRaw(0, 100));  // the newest sample is the last
}

// Register family, row 1, 5-second records: start and end between two record
// instants are moved onto the instants inside the span.
TEST_F(DownloadTest, RegisterRowOneMovesTheSpanOntoRecordInstants) {
  StartSim({"--model", "KVR8GV2", "--channels", "3", "--interval", "2", "--clock",
            "2026-12-07 10:00:00", "--newest-index", "5000", "--chan", "2:name=压力,unit=MPa"});
  Connect();
  EXPECT_EQ(session_.Span().modelRow, 1);
  EXPECT_EQ(session_.Span().interval, 5);
  time_t start = Local("2026-12-07 09:50:02"), end = Local("2026-12-07 09:59:58");
  ASSERT_EQ(session_.CheckSpan(false, &start, &end), SpanStatus::Ok);
  EXPECT_EQ(start, Local("2026-12-07 09:50:05"));
  EXPECT_EQ(end, Local("2026-12-07 09:59:55"));
  // A start exactly on an instant stays.
  time_t s2 = Local("2026-12-07 09:50:05"), e2 = Local("2026-12-07 09:50:05");
  ASSERT_EQ(session_.CheckSpan(false, &s2, &e2), SpanStatus::Ok);
  EXPECT_EQ(s2, e2);

  ASSERT_EQ(Download(Local("2026-12-07 09:50:02"), Local("2026-12-07 09:59:58")),
            RunStatus::Completed);
  const dltest::FileCounts c = Counts();
  ASSERT_EQ(c.capacity, 119);
  for (int m = 0; m < 3; ++m)
    for (int s = 0; s < 119; ++s)
      ASSERT_EQ(c.At(m, s), SimRaw(m, RingSlot(5000, session_.Span().newest, start, 5, s)));
  CXFile f;
  ASSERT_TRUE(f.Open(path_));
  EXPECT_EQ(f.GetStartTime(), start);
  EXPECT_EQ(f.GetEndTime(), end);
  EXPECT_EQ(f.GetInterval(), 5);
  EXPECT_EQ(f.GetModel(), "KVR8GV2");
  EXPECT_EQ(f.GetChnlName(2), "压力");
  EXPECT_EQ(f.GetChnlUnit(2), "MPa");
  for (int m = 0; m < 3; ++m) EXPECT_EQ(f.GetChnlDef(m), 0xD000005Au + 0x100u * m);
}

// Block family, one channel, form 2: 120 records per request, a record count
// that is an exact multiple of it; a logarithmic range takes its exponents
// from block bytes 56 and 57; 8-byte device words.
TEST_F(DownloadTest, BlockOneChannelFormTwoWithExponentBytes) {
  StartSim({"--model", "KVP6GV2", "--channels", "1", "--title", "Linie A", "--station", "8",
            "--clock", "2026-12-07 10:00:00", "--chan", "0:log=-2:3,low=1,high=5"});
  Connect();
  EXPECT_EQ(session_.Span().family, acquire::Family::Block);
  EXPECT_EQ(session_.Span().newest, Local("2026-12-07 10:00:00"));
  EXPECT_EQ(session_.Span().earliest, session_.Span().newest - 266239);
  int station = -1;
  ASSERT_TRUE(session_.ReadStation(&station));
  EXPECT_EQ(station, 8);

  const time_t start = Local("2026-12-07 09:56:00");
  int maximum = 0;
  ASSERT_EQ(Download(start, start + 239, false, [&](int, int m) { maximum = m; }),
            RunStatus::Completed);
  EXPECT_EQ(maximum, 2);  // requests
  const dltest::FileCounts c = Counts();
  ASSERT_TRUE(c.recordMajor);
  ASSERT_EQ(c.capacity, 240);
  ASSERT_EQ(c.bytes.size(), 1024u + 160 + 2 * 240);
  for (int s = 0; s < 240; ++s) ASSERT_EQ(c.At(0, s), SimRaw(0, static_cast<uint64_t>(start + s)));

  CXFile f;
  ASSERT_TRUE(f.Open(path_));
  EXPECT_EQ(f.GetLayout(), 2);
  EXPECT_EQ(f.GetModel(), "KVP6GV2");
  EXPECT_EQ(f.GetTitle(), "Linie A");
  EXPECT_EQ(f.GetRecordCount(), 240);
  const _tagChnlDef& d = f.Head().channels[0];
  EXPECT_EQ(d.logScale, 1);
  EXPECT_EQ(d.rangeLow.number, 1);
  EXPECT_EQ(d.rangeLow.decimals, 0xFE);
  EXPECT_EQ(d.rangeHigh.number, 5);
  EXPECT_EQ(d.rangeHigh.decimals, 3);
  EXPECT_FLOAT_EQ(f.GetRangeLow(0), 0.01f);
  EXPECT_FLOAT_EQ(f.GetRangeHigh(0), 1000.0f);
  EXPECT_EQ(f.GetChnlDef(0), 0x0C000000D000005Aull);
}

// Block family, 'L' model: channel blocks in the short layout at 0xC046, no
// logarithmic flag, form 1 device words; 7 channels give 17 records per
// request, the last request holding the 6 that remain; 5-second records from a
// start that no record instant needs to match.
TEST_F(DownloadTest, BlockShortBlocksAndAPartialLastRequest) {
  StartSim({"--model", "KVP5LV1", "--channels", "7", "--interval", "2", "--clock",
            "2026-12-07 10:00:00", "--chan", "2:name=Flow,unit=m3/h,low=-20.0,high=80.0,l4=75.5",
            "--chan", "4:log=-1:2"});
  Connect();
  EXPECT_EQ(session_.Span().interval, 5);
  const time_t start = Local("2026-12-07 09:50:02");
  const time_t end = start + 5 * 39 + 3;  // 40 records
  int maximum = 0;
  ASSERT_EQ(Download(start, end, false, [&](int, int m) { maximum = m; }), RunStatus::Completed);
  EXPECT_EQ(maximum, 3);
  const dltest::FileCounts c = Counts();
  ASSERT_EQ(c.capacity, 40);
  for (int m = 0; m < 7; ++m)
    for (int s = 0; s < 40; ++s)
      ASSERT_EQ(c.At(m, s), SimRaw(m, static_cast<uint64_t>(start + 5 * s))) << m << " " << s;
  CXFile f;
  ASSERT_TRUE(f.Open(path_));
  EXPECT_EQ(f.GetLayout(), 1);
  EXPECT_EQ(f.GetChnlName(2), "Flow");
  EXPECT_EQ(f.GetChnlUnit(2), "m3/h");
  EXPECT_FLOAT_EQ(f.GetRangeLow(2), -20.0f);
  EXPECT_FLOAT_EQ(f.GetRangeHigh(2), 80.0f);
  EXPECT_FLOAT_EQ(f.GetLimit(2, 4), 75.5f);
  EXPECT_EQ(f.Head().channels[4].logScale, 0);
  for (int m = 0; m < 7; ++m) EXPECT_EQ(f.GetChnlDef(m), 0xD000005Au + 0x100u * m);
  EXPECT_EQ(f.Head().channels[6].colour, 0x070707u);
}

// 64 channels: one record per request; the ninth channel takes the first colour.
TEST_F(DownloadTest, BlockSixtyFourChannelsOneRecordPerRequest) {
  StartSim({"--model", "KVP3GV1", "--channels", "64", "--clock", "2026-12-07 10:00:00"});
  Connect();
  const time_t start = Local("2026-12-07 09:59:57");
  int maximum = 0;
  ASSERT_EQ(Download(start, start + 3, false, [&](int, int m) { maximum = m; }),
            RunStatus::Completed);
  EXPECT_EQ(maximum, 4);
  const dltest::FileCounts c = Counts();
  ASSERT_EQ(c.n, 64);
  for (int m = 0; m < 64; ++m)
    for (int s = 0; s < 4; ++s) ASSERT_EQ(c.At(m, s), SimRaw(m, static_cast<uint64_t>(start + s)));
  CXFile f;
  ASSERT_TRUE(f.Open(path_));
  EXPECT_EQ(f.GetChnlName(63), "通道64");
  EXPECT_EQ(f.GetChnlDef(63), 0xD000005Au + 0x100u * 63);
  EXPECT_EQ(f.Head().channels[8].colour, f.Head().channels[0].colour);
}

// Stop is looked at before every read: set before the last read it leaves no
// file; set once the last read has begun the download completes.
TEST_F(DownloadTest, StopBeforeTheLastReadDeletesTheFile) {
  StartSim({"--model", "KVR6GV2", "--channels", "1", "--clock", "2026-12-07 10:00:00"});
  Connect();
  const time_t end = session_.Span().newest, start = end - 299;  // 3 reads
  EXPECT_EQ(Download(start, end, false,
                     [&](int v, int m) {
                       if (v == m - 2) session_.Stop();
                     }),
            RunStatus::Stopped);
  EXPECT_FALSE(Exists(path_));
  EXPECT_TRUE(session_.IsConnected());
  EXPECT_EQ(Download(start, end, false,
                     [&](int v, int m) {
                       if (v == m - 1) session_.Stop();
                     }),
            RunStatus::Completed);
  EXPECT_TRUE(Exists(path_));
  EXPECT_EQ(Counts().At(0, 299), SimRaw(0, 1000));
  // Stop also ends the preparation before its next channel; the file the
  // completed download left at the path stays as it was.
  const std::string done = testenv::ReadFile(path_);
  time_t s = start, e = end;
  ASSERT_EQ(session_.CheckSpan(false, &s, &e), SpanStatus::Ok);
  session_.ResetStop();
  EXPECT_EQ(session_.Prepare(path_, s, e, dltest::View(), [&](int, int) { session_.Stop(); }),
            PrepareStatus::Stopped);
  EXPECT_EQ(testenv::ReadFile(path_), done);
  EXPECT_TRUE(session_.IsConnected());
}

// Lost, spoilt and short replies within the retries still give an exact file.
TEST_F(DownloadTest, FaultyRepliesWithinTheRetriesGiveAnExactFile) {
  StartSim({"--model", "KVR6GV2", "--channels", "2", "--clock", "2026-12-07 10:00:00", "--fault",
            "drop:fn=0x13,count=2", "--fault", "corrupt:fn=0x13,skip=1,count=3", "--fault",
            "truncate:fn=0x13,skip=2,count=1,bytes=100"});
  Connect();
  const time_t end = session_.Span().newest, start = end - 299;
  ASSERT_EQ(Download(start, end), RunStatus::Completed);
  EXPECT_EQ(Faults(), 6);
  const dltest::FileCounts c = Counts();
  for (int m = 0; m < 2; ++m)
    for (int s = 0; s < 300; ++s)
      ASSERT_EQ(c.At(m, s), SimRaw(m, RingSlot(1000, end, start, 1, s)));
}

TEST_F(DownloadTest, FaultyRecordRepliesWithinTheRetriesGiveAnExactFile) {
  StartSim({"--model", "KVP6GV1", "--channels", "4", "--clock", "2026-12-07 10:00:00", "--fault",
            "exception:fn=0x13,count=1", "--fault", "short:fn=0x13,skip=2,count=2,bytes=2",
            "--fault", "drop:fn=0x13,count=1"});
  Connect();
  const time_t start = Local("2026-12-07 09:59:00");
  ASSERT_EQ(Download(start, start + 59), RunStatus::Completed);
  EXPECT_EQ(Faults(), 4);
  const dltest::FileCounts c = Counts();
  for (int m = 0; m < 4; ++m)
    for (int s = 0; s < 60; ++s) ASSERT_EQ(c.At(m, s), SimRaw(m, static_cast<uint64_t>(start + s)));
}

// A line that stops answering samples: the download fails and leaves no file.
TEST_F(DownloadTest, DeadLineFailsTheDownloadAndDeletesTheFile) {
  StartSim({"--model", "KVR3GV2", "--channels", "1", "--clock", "2026-12-07 10:00:00", "--fault",
            "drop:fn=0x13,skip=1"});
  Connect();
  const time_t end = session_.Span().newest;
  EXPECT_EQ(Download(end - 299, end), RunStatus::CommFailed);
  EXPECT_FALSE(Exists(path_));
}

// A download onto a file a view has open: the view keeps reading the file it
// opened (no SIGBUS, the old values), a failed download leaves the file byte
// for byte, and a completed one replaces it for the next opener.
TEST_F(DownloadTest, DownloadOverAnOpenFileKeepsTheViewAndTheOldFile) {
  StartSim({"--model", "KVR3GV2", "--channels", "1", "--clock", "2026-12-07 10:00:00", "--fault",
            "drop:fn=0x13,skip=4,count=4"});
  Connect();
  const time_t end = session_.Span().newest;
  ASSERT_EQ(Download(end - 199, end), RunStatus::Completed);
  const std::string first = testenv::ReadFile(path_);
  CXFile view;
  ASSERT_TRUE(view.Open(path_));
  float before = 0, after = 0;
  ASSERT_TRUE(view.GetValue(0, end - 199, &before, nullptr));

  // The same path, another span: the line fails (a read and its three
  // retries lost) in the second pass.
  EXPECT_EQ(Download(end - 299, end), RunStatus::CommFailed);
  EXPECT_EQ(testenv::ReadFile(path_), first);
  ASSERT_TRUE(view.GetValue(0, end - 199, &after, nullptr));
  EXPECT_EQ(after, before);

  // A completed download over it: the view still reads the old file whole.
  ASSERT_EQ(Download(end - 99, end), RunStatus::Completed);
  EXPECT_NE(testenv::ReadFile(path_), first);
  for (time_t t = end - 199; t <= end; t += 7) ASSERT_TRUE(view.GetValue(0, t, &after, nullptr));
  ASSERT_TRUE(view.GetValue(0, end - 199, &after, nullptr));
  EXPECT_EQ(after, before);
  EXPECT_EQ(view.GetRecordCount(), 200);
  CXFile fresh;
  ASSERT_TRUE(fresh.Open(path_));
  EXPECT_EQ(fresh.GetRecordCount(), 100);
}

// A failed read of the preparation deletes the file and closes the link.
TEST_F(DownloadTest, PreparationFailureDeletesTheFileAndClosesTheLink) {
  StartSim({"--model", "KVP6GV1", "--channels", "2", "--clock", "2026-12-07 10:00:00", "--fault",
            "drop:fn=0x16,skip=5"});
  Connect();
  time_t start = Local("2026-12-07 09:59:00"), end = start + 10;
  ASSERT_EQ(session_.CheckSpan(false, &start, &end), SpanStatus::Ok);
  EXPECT_EQ(session_.Prepare(path_, start, end, dltest::View(), nullptr),
            PrepareStatus::ReadFailed);
  EXPECT_FALSE(Exists(path_));
  EXPECT_FALSE(session_.IsConnected());
  EXPECT_FALSE(session_.Link().IsOpen());
  // A start on the closed link fails in the preparation, again without a file.
  EXPECT_EQ(session_.Prepare(path_, start, end, dltest::View(), nullptr),
            PrepareStatus::ReadFailed);
  EXPECT_FALSE(Exists(path_));
}

// A block-family recorder without channels cannot be downloaded from: no
// request size, no file.
TEST_F(DownloadTest, BlockRecorderWithoutChannelsFailsThePreparation) {
  StartSim({"--model", "KVP6GV1", "--channels", "0", "--clock", "2026-12-07 10:00:00"});
  Connect();
  time_t start = Local("2026-12-07 09:59:00"), end = start + 10;
  ASSERT_EQ(session_.CheckSpan(false, &start, &end), SpanStatus::Ok);
  EXPECT_EQ(session_.Prepare(path_, start, end, dltest::View(), nullptr),
            PrepareStatus::ReadFailed);
  EXPECT_FALSE(Exists(path_));
}

TEST_F(DownloadTest, SpanErrorsAndTheWholeSpan) {
  StartSim({"--model", "KVR6GV2", "--channels", "1", "--interval", "2", "--clock",
            "2026-12-07 10:00:00"});
  Connect();
  const acquire::RecorderSpan span = session_.Span();
  EXPECT_EQ(span.earliest, span.newest - 262143 * 5);
  time_t s = 0, e = 0;
  ASSERT_EQ(session_.CheckSpan(true, &s, &e), SpanStatus::Ok);
  EXPECT_EQ(s, span.earliest);
  EXPECT_EQ(e, span.newest);
  s = span.newest - 10;
  e = span.newest - 20;
  EXPECT_EQ(session_.CheckSpan(false, &s, &e), SpanStatus::StartAfterEnd);
  s = span.earliest - 1;
  e = span.newest;
  EXPECT_EQ(session_.CheckSpan(false, &s, &e), SpanStatus::StartBeforeSpan);
  s = span.earliest;
  e = span.newest + 1;
  EXPECT_EQ(session_.CheckSpan(false, &s, &e), SpanStatus::EndAfterSpan);
  s = span.newest - 9;  // between two instants, holding none
  e = span.newest - 6;
  EXPECT_EQ(session_.CheckSpan(false, &s, &e), SpanStatus::NoRecord);
  s = span.earliest;
  e = span.newest;
  EXPECT_EQ(session_.CheckSpan(false, &s, &e), SpanStatus::Ok);
}

TEST_F(DownloadTest, UnknownModelLeavesTheLinkOpenButUnconnected) {
  StartSim({"--model", "KVR9GV2", "--channels", "1"});
  EXPECT_EQ(session_.Connect(Param()), ConnectStatus::UnknownModel);
  EXPECT_EQ(session_.Span().model, "KVR9GV2");
  EXPECT_TRUE(session_.Link().IsOpen());
  EXPECT_FALSE(session_.IsConnected());
}

TEST_F(DownloadTest, PortThatCannotBeOpenedSaysWhy) {
  _tagComParam p = testenv::ComParamFor(testenv::Home() + "no-such-port");
  EXPECT_EQ(session_.Connect(p), ConnectStatus::PortOpenFailed);
  EXPECT_NE(session_.PortError().find("no-such-port"), std::string::npos) << session_.PortError();
  EXPECT_FALSE(session_.IsConnected());
}

// A recorder that does not answer at all: the connection step fails quietly
// and closes the link.
TEST_F(DownloadTest, SilentRecorderFailsTheConnectionStep) {
  StartSim({"--model", "KVP6GV1", "--station", "9"});
  EXPECT_EQ(session_.Connect(Param()), ConnectStatus::ReadFailed);
  EXPECT_FALSE(session_.Link().IsOpen());
}

TEST_F(DownloadTest, FileThatCannotBeCreatedStartsNothing) {
  StartSim({"--model", "KVR6GV2", "--channels", "1", "--clock", "2026-12-07 10:00:00"});
  Connect();
  time_t s = session_.Span().newest - 10, e = session_.Span().newest;
  ASSERT_EQ(session_.CheckSpan(false, &s, &e), SpanStatus::Ok);
  const std::string bad = testenv::Home() + "missing/folder/out.KVD";
  EXPECT_EQ(session_.Prepare(bad, s, e, dltest::View(), nullptr), PrepareStatus::CreateFailed);
  EXPECT_TRUE(session_.IsConnected());
  // The session is still usable.
  EXPECT_EQ(session_.Prepare(path_, s, e, dltest::View(), nullptr), PrepareStatus::Ok);
  EXPECT_EQ(session_.Run(nullptr), RunStatus::Completed);
}

// A file that cannot grow (as on a full disk) fails the download and is deleted.
TEST_F(DownloadTest, FileThatCannotBeWrittenIsDeleted) {
  StartSim({"--model", "KVR6GV2", "--channels", "2", "--clock", "2026-12-07 10:00:00"});
  Connect();
  time_t s = session_.Span().newest - 599, e = session_.Span().newest;
  ASSERT_EQ(session_.CheckSpan(false, &s, &e), SpanStatus::Ok);
  ASSERT_EQ(session_.Prepare(path_, s, e, dltest::View(), nullptr), PrepareStatus::Ok);
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 2000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const RunStatus ran = session_.Run(nullptr);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(ran, RunStatus::WriteFailed);
  EXPECT_FALSE(Exists(path_));
}
