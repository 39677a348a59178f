// Writing recordings: the download path, the live path, marks, read-only files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "common/testenv.h"
#include "data/cxfile.h"
#include "data/fixture.h"

namespace {

constexpr time_t kStart = 1709251200;  // 2024-03-01 08:00:00 +08:00

off_t SizeOf(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

// A header as a creator fills it: n channels 0..1000 with default names.
void FillHead(CXFile& f, const char* model, int n, int width, int capacity) {
  _tagDataHead& h = f.Head();
  std::memset(h.model, 0, sizeof(h.model));
  std::memcpy(h.model, model, std::min(std::strlen(model), sizeof(h.model)));
  SetGbkField(h.title, "记录仪 A", true);
  h.station = 12;
  h.interval = 5;
  h.chnlCount = static_cast<uint8_t>(n);
  h.valueWidth = static_cast<uint8_t>(width);
  h.capacity = capacity;
  h.lastIndex = capacity - 1;
  h.ringStart = 0;
  h.gridShown = 1;
  h.clrBack = 0x00102030;
  for (int ch = 0; ch < n; ++ch) {
    _tagChnlDef& d = h.channels[ch];
    SetGbkField(d.name, DefaultChnlName(ch + 1));
    SetGbkField(d.unit, "kPa");
    d.rangeHigh.number = 1000;
    d.shown = 1;
    d.penWidth = 1;
    d.colour = static_cast<uint32_t>(0x10 * (ch % 8 + 1));
    d.devWord[0] = 0x100u + ch;
    d.devWord[1] = 0x200u + ch;
  }
  f.SetStartTime(kStart);
}

uint16_t Count(int ch, int rec) { return static_cast<uint16_t>((rec * 131 + ch * 17) & 0xFFFF); }

void ExpectCounts(const CXFile& f, int n, int records, int width) {
  const double full = width == 1 ? 255.0 : 65535.0;
  for (int rec = 0; rec < records; ++rec)
    for (int ch = 0; ch < n; ++ch) {
      float v = 0;
      ASSERT_TRUE(f.GetValue(ch, kStart + 5 * rec, &v, nullptr)) << rec << " " << ch;
      const uint32_t q = Count(ch, rec) & (width == 1 ? 0xFF : 0xFFFF);
      EXPECT_NEAR(v, 1000.0 * q / full, 1e-3) << rec << " " << ch;
    }
}

// Download path: Create, WriteHead, WriteValues/Advance, SetEndTime, Close, Open.
void DownloadRoundTrip(const char* model, int width) {
  const int n = 3, records = 7;
  const std::string path = testenv::NewDir("dl") + "001@x.dat";
  {
    CXFile f;
    FillHead(f, model, n, width, records);
    f.SetEndTime(kStart + 5 * (records - 1));
    ASSERT_TRUE(f.Create(path));
    ASSERT_TRUE(f.WriteHead());
    EXPECT_EQ(f.GetRecordCount(), 0);
    if (fixture::LayoutOf(model) == 0) {
      // Two passes of 4 and 3 samples per channel, as the register family does.
      for (int pass = 0; pass < 2; ++pass) {
        const int first = pass * 4, count = pass == 0 ? 4 : 3;
        for (int ch = 0; ch < n; ++ch) {
          std::vector<uint8_t> buf;
          for (int r = first; r < first + count; ++r) {
            buf.push_back(Count(ch, r) & 0xFF);
            if (width == 2) buf.push_back(Count(ch, r) >> 8);
          }
          ASSERT_TRUE(f.WriteValues(buf.data(), count, ch));
        }
        f.Advance(count);
      }
      EXPECT_FALSE(f.WriteValues("\0\0", 1, n));  // no such channel
      EXPECT_FALSE(f.WriteValues("\0\0", 1, 0));  // the channel is full
    } else {
      // Record-major: requests of 2 records, the last one shorter.
      for (int k = 0; k * 2 < records; ++k) {
        std::vector<uint8_t> buf;
        for (int r = 2 * k; r < std::min(records, 2 * k + 2); ++r)
          for (int ch = 0; ch < n; ++ch) {
            buf.push_back(Count(ch, r) & 0xFF);
            if (width == 2) buf.push_back(Count(ch, r) >> 8);
          }
        ASSERT_TRUE(f.WriteValues(buf.data(), static_cast<int>(buf.size()), 2 * k));
      }
      std::vector<uint8_t> one(n * width * 2);
      EXPECT_FALSE(f.WriteValues(one.data(), static_cast<int>(one.size()), records - 1));
      f.Advance(records);
    }
    f.SetEndTime(0);  // ignored: records are counted
    EXPECT_EQ(f.GetEndTime(), kStart + 5 * (records - 1));
    f.Close();
  }
  EXPECT_EQ(SizeOf(path), 1024 + 160 * n + n * width * records);
  CXFile g;
  ASSERT_TRUE(g.Open(path)) << model;
  EXPECT_EQ(g.GetLayout(), fixture::LayoutOf(model));
  EXPECT_EQ(g.GetModel(), model);
  EXPECT_EQ(g.GetTitle(), "记录仪 A");
  EXPECT_EQ(g.GetStation(), 12);
  EXPECT_EQ(g.GetRecordCount(), records);
  EXPECT_EQ(g.GetStartTime(), kStart);
  EXPECT_EQ(g.GetEndTime(), kStart + 5 * (records - 1));
  EXPECT_EQ(g.GetChnlName(2), "通道3");
  EXPECT_EQ(g.GetChnlUnit(2), "kPa");
  EXPECT_EQ(g.Head().clrBack, 0x00102030u);
  EXPECT_EQ(g.Head().channels[1].colour, 0x20u);
  const uint64_t second = fixture::LayoutOf(model) == 2 ? uint64_t{0x201} << 32 : 0;
  EXPECT_EQ(g.GetChnlDef(1), second | 0x101u);
  ExpectCounts(g, n, records, width);
  g.Close();
  EXPECT_EQ(SizeOf(path), 1024 + 160 * n + n * width * records);  // viewing cuts nothing
}

TEST(DataWrite, DownloadRoundTripEveryWritableLayout) {
  DownloadRoundTrip("KVR3GV2", 2);
  DownloadRoundTrip("KVR5EV1", 1);
  DownloadRoundTrip("KVP3GV1", 2);
  DownloadRoundTrip("KVP6GV2", 2);
  DownloadRoundTrip("KVP5LV1", 1);
}

TEST(DataWrite, CumulativeFilesAreNotWritten) {
  CXFile f;
  FillHead(f, "KVP6GV1000P", 2, 2, 4);
  const std::string path = testenv::NewDir() + "c.dat";
  ASSERT_TRUE(f.Create(path));
  EXPECT_FALSE(f.WriteHead());
}

TEST(DataWrite, LayoutZeroKeepsOnlyOneByteOfTheInterval) {
  CXFile f;
  FillHead(f, "KVR3GV2", 1, 2, 4);
  f.Head().interval = 300;
  ASSERT_TRUE(f.Create(testenv::NewDir() + "i.dat"));
  EXPECT_FALSE(f.WriteHead());  // would store 44 and shift every time of the file
}

// Live path: CreateTemp, PutHead, PutChnlDef, AppendRecord, SetEndTime, SaveAs, Close, Open.
void LiveRoundTrip(const char* model, int records) {
  const int n = 4, width = 2;
  const std::string temp = testenv::Home() + "temp.tmp";
  const std::string out = testenv::NewDir("live") + "live.dat";
  {
    CXFile f;
    FillHead(f, model, n, width, 1000);
    f.Head().kindByte = 2;
    f.Head().tagByte = 10;
    ASSERT_TRUE(f.CreateTemp());
    EXPECT_EQ(SizeOf(temp), n * (1000 + 160) * width + 256);
    EXPECT_GE(f.GetSlotCount(), 1000);
    ASSERT_TRUE(f.PutHead());
    _tagChnlDef def = f.Head().channels[3];
    SetGbkField(def.name, "压力");
    ASSERT_TRUE(f.PutChnlDef(def, 3));
    f.SetStartTime(kStart);
    for (int rec = 0; rec < records; ++rec) {
      uint8_t values[n * 2];
      for (int ch = 0; ch < n; ++ch) {
        values[2 * ch] = Count(ch, rec) & 0xFF;
        values[2 * ch + 1] = Count(ch, rec) >> 8;
      }
      ASSERT_TRUE(f.AppendRecord(values, rec));
      f.SetEndTime(0);
      EXPECT_EQ(f.GetRecordCount(), rec + 1);
      // The live chart reads the store while it is filled.
      float v;
      ASSERT_TRUE(f.GetValue(rec % n, kStart + 5 * rec, &v, nullptr));
    }
    EXPECT_FALSE(f.AppendRecord("\0\0\0\0\0\0\0\0", 1000));  // past the capacity
    EXPECT_EQ(f.GetRecordCount(), records == 0 ? -1 : records);
    ASSERT_TRUE(f.SaveAs(out));
    EXPECT_EQ(f.Head().capacity, 1000);  // restored in memory
    ExpectCounts(f, n, records, width);  // the store is still usable
    f.Close();
    EXPECT_EQ(SizeOf(temp), -1) << "temp.tmp must go with its owner";
  }
  EXPECT_EQ(SizeOf(out), 1024 + 160 * n + n * width * records);
  CXFile g;
  if (records == 0) {
    EXPECT_FALSE(g.Open(out));  // header and definitions only: nothing to view
    const std::string img = testenv::ReadFile(out);
    ASSERT_GE(img.size(), 256u);
    EXPECT_EQ(img.substr(0, 7), model);
    return;
  }
  ASSERT_TRUE(g.Open(out));
  EXPECT_EQ(g.Head().capacity, records);
  EXPECT_EQ(g.GetRecordCount(), records);
  EXPECT_EQ(g.GetChnlName(3), "压力");
  EXPECT_EQ(g.Head().kindByte, 2);
  ExpectCounts(g, n, records, width);
}

TEST(DataWrite, LiveRoundTripBothFamilies) {
  LiveRoundTrip("KVR6GV1000", 9);
  LiveRoundTrip("KVP6GV2", 9);
  LiveRoundTrip("KVP3GV1", 1);
  LiveRoundTrip("KVR3GV2", 0);
}

TEST(DataWrite, SaveAsFailureKeepsTheOldFileAndTheStore) {
  CXFile f;
  FillHead(f, "KVR3GV2", 1, 2, 10);
  ASSERT_TRUE(f.CreateTemp());
  ASSERT_TRUE(f.PutHead());
  ASSERT_TRUE(f.AppendRecord("\1\0", 0));
  const std::string dir = testenv::NewDir();
  EXPECT_FALSE(f.SaveAs(dir + "no/such/dir/x.dat"));
  EXPECT_FALSE(f.SaveAs(""));
  EXPECT_EQ(f.GetRecordCount(), 1);
  EXPECT_TRUE(f.SaveAs(dir + "x.dat"));
}

TEST(DataWrite, CreateTempNeedsAHeaderThatFits) {
  CXFile f;
  EXPECT_FALSE(f.CreateTemp());  // no channels yet
  FillHead(f, "KVR3GV2", 2, 3, 10);
  EXPECT_FALSE(f.CreateTemp());  // width 3
  EXPECT_EQ(SizeOf(testenv::Home() + "temp.tmp"), -1);
}

TEST(DataWrite, MarksTwoAddedOneDeleted) {
  const std::string path = testenv::NewDir("m") + "m.dat";
  fixture::Recipe s;
  fixture::Channel c;
  s.channels = {c, c};
  ASSERT_TRUE(testenv::WriteFile(path, fixture::Build(s)));
  const off_t before = SizeOf(path);
  {
    CXFile f;
    ASSERT_TRUE(f.Open(path));
    EXPECT_FALSE(f.AddMark(kStart - 1));
    EXPECT_FALSE(f.AddMark(kStart + 51));
    ASSERT_TRUE(f.AddMark(kStart + 20));
    ASSERT_TRUE(f.AddMark(kStart + 50));
    EXPECT_EQ(f.GetMarkCount(), 2);
    EXPECT_EQ(f.GetMark(1), kStart + 50);
    EXPECT_EQ(SizeOf(path), before + 8);
    ASSERT_TRUE(f.DeleteMark(0));
    EXPECT_FALSE(f.DeleteMark(1));
    EXPECT_EQ(f.GetMarkCount(), 1);
    EXPECT_EQ(f.GetMark(0), kStart + 50);
    // The values are untouched by the marks.
    float v;
    ASSERT_TRUE(f.GetValue(1, kStart + 10, &v, nullptr));
  }
  EXPECT_EQ(SizeOf(path), before + 4);
  CXFile g;
  ASSERT_TRUE(g.Open(path));
  EXPECT_EQ(g.GetMarkCount(), 1);
  EXPECT_EQ(g.GetMark(0), kStart + 50);
}

TEST(DataWrite, MarkCountStopsAt255) {
  const std::string path = testenv::NewDir() + "full.dat";
  fixture::Recipe s;
  s.channels.resize(1);
  for (int i = 0; i < 254; ++i) s.marks.push_back(static_cast<int32_t>(kStart));
  ASSERT_TRUE(testenv::WriteFile(path, fixture::Build(s)));
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  EXPECT_TRUE(f.AddMark(kStart + 10));
  EXPECT_FALSE(f.AddMark(kStart + 20));  // a 256th would wrap the count to 0
  EXPECT_EQ(f.GetMarkCount(), 255);
  EXPECT_EQ(f.GetMark(254), kStart + 10);
}

TEST(DataWrite, ViewingNeverShortensAFile) {
  // A file longer than its header says: opening, reading, PutHead and Close
  // keep every byte.
  const std::string path = testenv::NewDir() + "long.dat";
  fixture::Recipe s;
  s.channels.resize(2);
  s.extraTail = 5000;
  ASSERT_TRUE(testenv::WriteFile(path, fixture::Build(s)));
  const off_t size = SizeOf(path);
  {
    CXFile f;
    ASSERT_TRUE(f.Open(path));
    f.Head().channels[0].colour = 0x00ABCDEF;
    ASSERT_TRUE(f.PutHead());
  }
  EXPECT_EQ(SizeOf(path), size);
  CXFile g;
  ASSERT_TRUE(g.Open(path));
  EXPECT_EQ(g.Head().channels[0].colour, 0x00ABCDEFu);
}

TEST(DataWrite, PutChnlDefLandsInTheFamilysTable) {
  for (const char* model : {"KVR3GV2", "KVP6GV2"}) {
    const std::string path = testenv::NewDir() + "p.dat";
    fixture::Recipe s;
    s.model = model;
    s.channels.resize(3);
    ASSERT_TRUE(testenv::WriteFile(path, fixture::Build(s)));
    {
      CXFile f;
      ASSERT_TRUE(f.Open(path));
      _tagChnlDef d = f.Head().channels[1];
      SetGbkField(d.name, "second");
      d.colour = 0x00FEDCBA;
      ASSERT_TRUE(f.PutChnlDef(d, 1));
    }
    CXFile g;
    ASSERT_TRUE(g.Open(path)) << model;
    EXPECT_EQ(g.GetChnlName(0), "");
    EXPECT_EQ(g.GetChnlName(1), "second");
    EXPECT_EQ(g.GetChnlName(2), "");
    EXPECT_EQ(g.Head().channels[1].colour, 0x00FEDCBAu);
    EXPECT_EQ(g.GetEndTime(), kStart + 50);  // the display and time blocks are intact
  }
}

// Runs body in a child process without root's right to write any file.
template <typename F>
void AsOrdinaryUser(F body) {
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    ::_exit(body() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(DataWrite, ReadOnlyFilesOpenForViewingOnly) {
  char tmpl[] = "/tmp/recview-ro-XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  ::chmod(tmpl, 0755);
  const std::string path = std::string(tmpl) + "/ro.dat";
  fixture::Recipe s;
  s.channels.resize(2);
  s.marks = {static_cast<int32_t>(kStart + 10)};
  const std::string image = fixture::Build(s);
  ASSERT_TRUE(testenv::WriteFile(path, image));
  ::chmod(path.c_str(), 0444);
  AsOrdinaryUser([&] {
    CXFile f;
    if (!f.Open(path) || !f.IsReadOnly()) return false;
    float v;
    if (!f.GetValue(1, kStart + 50, &v, nullptr) || f.GetMark(0) != kStart + 10) return false;
    f.Head().channels[0].colour = 1;
    _tagChnlDef d = f.Head().channels[0];
    f.PutChnlDef(d, 0);  // memory only
    f.SetStartTime(kStart);
    return !f.PutHead() && !f.AddMark(kStart + 20) && !f.DeleteMark(0) && f.GetMarkCount() == 1;
  });
  EXPECT_EQ(testenv::ReadFile(path), image);
  ::unlink(path.c_str());
  ::rmdir(tmpl);
}

}  // namespace
