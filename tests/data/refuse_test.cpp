// Files that are not recordings, or whose header promises more than the file
// holds, are refused cleanly and left untouched.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <set>

#include "common/testenv.h"
#include "data/cxfile.h"
#include "data/fixture.h"

namespace {

fixture::Recipe Base(const std::string& model, int marks = 2) {
  fixture::Recipe s;
  s.model = model;
  fixture::Channel c;
  c.hi = 100;
  s.channels = {c, c, c};
  for (int i = 0; i < marks; ++i) s.marks.push_back(1709251200 + 10 * i);
  return s;
}

// Opens the image; true when accepted. Checks that the file is left as it was.
bool Accepts(const std::string& image) {
  const std::string path = testenv::NewDir("r") + "x.dat";
  EXPECT_TRUE(testenv::WriteFile(path, image));
  bool ok;
  {
    CXFile f;
    ok = f.Open(path);
    if (ok) {
      // Reading everything must stay inside the file.
      for (int ch = 0; ch <= f.GetChnlCount(); ++ch)
        for (time_t t = f.GetStartTime(); t <= f.GetEndTime(); t += f.GetInterval()) {
          f.GetValue(ch, t, nullptr, nullptr);
          f.GetCumValue(ch, t, nullptr);
        }
      for (int i = 0; i < f.GetMarkCount(); ++i) f.GetMark(i);
    }
    EXPECT_EQ(f.GetRecordCount(), ok ? f.GetRecordCount() : -1);
  }
  EXPECT_EQ(testenv::ReadFile(path), image) << "an opened or refused file was modified";
  return ok;
}

TEST(DataRefuse, TruncatedFilesOfEveryLayout) {
  for (const char* model : {"KVR3GV2", "KVP3GV1", "KVP6GV2", "KVP6GV1000P"}) {
    const fixture::Recipe s = Base(model, fixture::LayoutOf(model) == 3 ? 0 : 2);
    const std::string full = fixture::Build(s);
    ASSERT_TRUE(Accepts(full)) << model;
    // Every cut short of the complete file is refused: the data area and the
    // marks (layouts 0-2) or the totals (layout 3) end exactly at its end.
    for (size_t len = 0; len < full.size(); len += (len < 300 ? 1 : 37))
      EXPECT_FALSE(Accepts(full.substr(0, len))) << model << " cut at " << len;
  }
}

TEST(DataRefuse, HeaderFieldsThatCannotBeTrue) {
  const fixture::Recipe s0 = Base("KVR3GV2");
  const fixture::Recipe sp = Base("KVP6GV2");
  const std::string l0 = fixture::Build(s0);
  const std::string lp = fixture::Build(sp);
  const size_t tb = 192 + 160 * 3;  // time block of layout 2
  struct Case {
    const char* what;
    const std::string* base;
    size_t at;
    int bytes;
    uint32_t value;
  } cases[] = {
      {"magic", &l0, 0, 1, 'X'},
      {"magic P", &lp, 1, 1, 'W'},
      {"descSize", &l0, 0x63, 2, 159},
      {"chnlCount 65", &l0, 0x3E, 1, 65},
      {"chnlCount 65 P", &lp, 64 + 0x20, 1, 65},
      {"width 0", &l0, 0x62, 1, 0},
      {"width 3", &l0, 0x62, 1, 3},
      {"width 4 P", &lp, tb + 0x18, 1, 4},
      {"capacity 0", &l0, 0x5E, 4, 0},
      {"capacity negative", &lp, tb + 0x14, 4, 0xFFFFFFF0u},
      {"capacity huge", &l0, 0x5E, 4, 0x7FFFFFFF},
      {"interval 0", &l0, 0x3D, 1, 0},
      {"interval 0 P", &lp, 64 + 0x22, 2, 0},
      {"ring start negative", &l0, 0x5A, 4, 0x80000000u},
      {"marks past the end", &l0, 0x40, 1, 3},
      {"marks past the end P", &lp, 64 + 0x26, 1, 200},
      {"more channels than defined", &l0, 0x3E, 1, 20},
  };
  for (const Case& c : cases) {
    std::string img = *c.base;
    if (c.bytes == 1) fixture::Put8(img, c.at, static_cast<uint8_t>(c.value));
    if (c.bytes == 2) fixture::Put16(img, c.at, static_cast<uint16_t>(c.value));
    if (c.bytes == 4) fixture::Put32(img, c.at, c.value);
    EXPECT_FALSE(Accepts(img)) << c.what;
  }
  // A ring start past the capacity is harmless (reads slot 0) and accepted.
  std::string img = l0;
  fixture::Put32(img, 0x5A, 1000);
  EXPECT_TRUE(Accepts(img));
  // An end before the start is an empty recording, not an error.
  img = l0;
  fixture::Put8(img, 0x36, 23);
  EXPECT_TRUE(Accepts(img));
}

TEST(DataRefuse, PathsThatAreNotDataFiles) {
  CXFile f;
  EXPECT_FALSE(f.Open(""));
  EXPECT_FALSE(f.Open(testenv::Home() + "missing.dat"));
  EXPECT_FALSE(f.Open(testenv::NewDir()));  // a directory
  const std::string empty = testenv::NewDir() + "empty.dat";
  ASSERT_TRUE(testenv::WriteFile(empty, ""));
  EXPECT_FALSE(f.Open(empty));
  EXPECT_FALSE(Accepts(std::string(4096, '\0')));
  EXPECT_FALSE(Accepts("KV"));
  // After a refusal the object reads as empty.
  EXPECT_EQ(f.GetChnlCount(), 0);
  EXPECT_EQ(f.GetRecordCount(), -1);
}

TEST(DataRefuse, RefusalAfterAGoodFileForgetsIt) {
  const std::string good = testenv::NewDir() + "good.dat";
  ASSERT_TRUE(testenv::WriteFile(good, fixture::Build(Base("KVR3GV2"))));
  const std::string bad = testenv::NewDir() + "bad.dat";
  ASSERT_TRUE(testenv::WriteFile(bad, "KVR3GV2 but nothing else"));
  CXFile f;
  ASSERT_TRUE(f.Open(good));
  EXPECT_FALSE(f.Open(bad));
  EXPECT_EQ(f.GetChnlCount(), 0);
  EXPECT_FALSE(f.GetValue(0, 1709251200, nullptr, nullptr));
  EXPECT_EQ(f.GetMark(0), 0);
}

// Each check names its own reason, so a user learns what is wrong with a file.
TEST(DataRefuse, EachDamageHasItsOwnReason) {
  const fixture::Recipe s0 = Base("KVR3GV2");
  const std::string l0 = fixture::Build(s0);
  const std::string lp = fixture::Build(Base("KVP6GV2"));
  struct Case {
    const char* what;
    std::string image;
    OpenError reason;
  };
  auto poke = [](std::string img, size_t at, int bytes, uint32_t value) {
    if (bytes == 1) fixture::Put8(img, at, static_cast<uint8_t>(value));
    if (bytes == 2) fixture::Put16(img, at, static_cast<uint16_t>(value));
    if (bytes == 4) fixture::Put32(img, at, value);
    return img;
  };
  const Case cases[] = {
      {"first 100 bytes", l0.substr(0, 100), OpenError::TooShort},
      {"text file", std::string(2000, 'x'), OpenError::NotDataFile},
      {"descSize", poke(l0, 0x63, 2, 159), OpenError::DescSize},
      {"chnlCount 65", poke(l0, 0x3E, 1, 65), OpenError::ChannelCount},
      {"chnlCount 65 P", poke(lp, 64 + 0x20, 1, 65), OpenError::ChannelCount},
      {"cut in the channel table", l0.substr(0, fixture::DataOffset(s0) - 20),
       OpenError::ChannelTable},
      {"interval 0", poke(l0, 0x3D, 1, 0), OpenError::Interval},
      {"capacity 0", poke(l0, 0x5E, 4, 0), OpenError::Capacity},
      {"width 3", poke(l0, 0x62, 1, 3), OpenError::ValueWidth},
      {"cut in the records", l0.substr(0, fixture::DataOffset(s0) + 10), OpenError::DataBeyondEnd},
      {"cut in the marks", l0.substr(0, l0.size() - 2), OpenError::MarksBeyondEnd},
  };
  for (const Case& c : cases) {
    const std::string path = testenv::NewDir("e") + "x.dat";
    ASSERT_TRUE(testenv::WriteFile(path, c.image));
    CXFile f;
    EXPECT_FALSE(f.Open(path)) << c.what;
    EXPECT_EQ(f.GetOpenError(), c.reason) << c.what;
    EXPECT_STRNE(OpenErrorText(c.reason), OpenErrorText(OpenError::NotDataFile == c.reason
                                                            ? OpenError::TooShort
                                                            : OpenError::NotDataFile));
  }
  CXFile f;
  EXPECT_FALSE(f.Open(""));
  EXPECT_EQ(f.GetOpenError(), OpenError::NoPath);
  EXPECT_FALSE(f.Open(testenv::Home() + "missing.dat"));
  EXPECT_EQ(f.GetOpenError(), OpenError::CannotRead);
  EXPECT_EQ(f.GetOpenErrno(), ENOENT);
  EXPECT_FALSE(f.Open(testenv::NewDir()));
  EXPECT_EQ(f.GetOpenError(), OpenError::NotRegular);
  const std::string empty = testenv::NewDir() + "empty.dat";
  ASSERT_TRUE(testenv::WriteFile(empty, ""));
  EXPECT_FALSE(f.Open(empty));
  EXPECT_EQ(f.GetOpenError(), OpenError::Empty);
  const std::string good = testenv::NewDir() + "good.dat";
  ASSERT_TRUE(testenv::WriteFile(good, l0));
  EXPECT_TRUE(f.Open(good));
  EXPECT_EQ(f.GetOpenError(), OpenError::None);
  // Every reason has a text of its own.
  std::set<std::string> texts;
  for (int r = 0; r <= static_cast<int>(OpenError::TimeSpan); ++r)
    EXPECT_TRUE(texts.insert(OpenErrorText(static_cast<OpenError>(r))).second) << r;
}

}  // namespace
