// Device information: the value text of each family, read from files built
// byte by byte, and the clipboard text.
#include <gtest/gtest.h>

#include "acquire/devinfo.h"
#include "common/testenv.h"
#include "data/cxfile.h"
#include "data/fixture.h"

namespace {

TEST(DevInfo, ValueTextByFamilyAndVersion) {
  struct Case {
    const char* model;
    uint64_t word;
    const char* text;
  } cases[] = {
      {"KVP6GV1", 12345, "1234.5"},
      {"KVP6GV1", 0, "0.0"},
      {"KVP6GV1", uint64_t(-7), "-0.7"},             // signed 64 bits
      {"KVP6GV1", 0xFFFFFFFFull, "429496729.5"},     // form 1 keeps 32 bits: no sign
      {"KVP6GV2", 12345, "123.45"},
      {"KVP6GV2", uint64_t(-1), "-0.01"},
      {"KVP5LV3", 0x100000000ull, "42949672.96"},   // the high word counts
      {"KVP", 250, "2.50"},                         // no version digit: not version 1
      {"KVR3GV2", 4660, "4660"},
      {"KVR3GV2", 0xFFFFFFFEull, "-2"},             // low 32 bits, signed
      {"KVR6GV1000", 0x1234500000007ull, "7"},      // the high word is not shown
      {"KV200", 0x80000000ull, "-2147483648"},
      {"", 5, "5"},
  };
  for (const Case& c : cases) EXPECT_EQ(acquire::DevWordText(c.model, c.word), c.text) << c.model;
}

// A file of each layout with the device words stored the way its form does.
std::unique_ptr<CXFile> OpenBuilt(const fixture::Recipe& s) {
  const std::string path = testenv::NewDir("dev") + "f.dat";
  EXPECT_TRUE(testenv::WriteFile(path, fixture::Build(s)));
  auto f = std::make_unique<CXFile>();
  EXPECT_TRUE(f->Open(path));
  return f;
}

TEST(DevInfo, RowsAndTextFromFilesOfEachForm) {
  struct Case {
    const char* model;
    uint32_t dev0, dev1;
    const char* value;
  } cases[] = {
      {"KVP6GV1", 12345, 0xFFFFFFFF, "1234.5"},  // form 1 stores no second word
      {"KVP6GV2", 0xFFFFFFFF, 0xFFFFFFFF, "-0.01"},
      {"KVR3GV2", 0xFFFFFFFE, 7, "-2"},
  };
  for (const Case& c : cases) {
    fixture::Recipe s;
    s.model = c.model;
    fixture::Channel a;
    a.name = "\xCE\xC2\xB6\xC8";  // 温度
    a.dev0 = c.dev0;
    a.dev1 = c.dev1;
    fixture::Channel b;
    b.name = "B";
    b.dev0 = 1000;
    s.channels = {a, b};
    auto f = OpenBuilt(s);
    const auto rows = acquire::DevInfoRows(*f);
    ASSERT_EQ(rows.size(), 2u) << c.model;
    EXPECT_EQ(rows[0].number, 1);
    EXPECT_EQ(rows[0].name, "温度");
    EXPECT_EQ(rows[0].value, c.value) << c.model;
    EXPECT_EQ(rows[1].number, 2);
    EXPECT_EQ(acquire::DevInfoText(*f),
              std::string("1\t温度\t") + c.value + "\r\n2\tB\t" +
                  acquire::DevWordText(c.model, 1000) + "\r\n");
  }
}

TEST(DevInfo, NoChannelsGiveNoRowsAndAnEmptyText) {
  fixture::Recipe s;
  s.channels.clear();
  auto f = OpenBuilt(s);
  EXPECT_TRUE(acquire::DevInfoRows(*f).empty());
  EXPECT_EQ(acquire::DevInfoText(*f), "");
  CXFile none;
  EXPECT_EQ(acquire::DevInfoText(none), "");
}

}  // namespace
