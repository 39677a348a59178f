// The value texts of CXFile::FormatValue: the one routine behind every chart
// read-out, table and command-line listing, so no caller cuts a value its own
// way.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "data/cxfile.h"

namespace {

struct FormatCase {
  int decimals;    // of the channel's lower range
  uint8_t log;     // logarithmic channel
  uint8_t expFormat;
  double value;
  const char* text;
};

// Texts printed with the channel's own format, whole however long.
const FormatCase kCases[] = {
    {0, 0, 1, 21.6, "22"},
    {1, 0, 1, 21.25, "21.2"},
    {3, 0, 1, -0.0005, "-0.001"},
    {2, 1, 1, 1234.0, "1.2E+03"},
    {2, 1, 0, 1234.0, "1234.00"},
    {1, 0, 1, 1e20, "100000000000000000000.0"},
};

TEST(FormatValue, ChannelFormats) {
  for (const FormatCase& c : kCases) {
    CXFile f;
    f.Head().chnlCount = 1;
    f.Head().expFormat = c.expFormat;
    f.Head().channels[0].rangeLow.decimals = static_cast<uint8_t>(c.decimals);
    f.Head().channels[0].logScale = c.log;
    EXPECT_EQ(f.FormatValue(0, c.value), c.text) << c.decimals << " " << c.value;
  }
}

TEST(FormatValue, ManyDecimalsAreNeverCut) {
  // A decimals byte up to 255: the text is as long as the format makes it,
  // past any fixed buffer.
  for (int decimals : {80, 200, 255}) {
    CXFile f;
    f.Head().chnlCount = 1;
    f.Head().channels[0].rangeLow.decimals = static_cast<uint8_t>(decimals);
    for (double value : {-3.4e38, 1.0 / 3.0}) {
      char format[16];
      std::snprintf(format, sizeof format, "%%.%df", decimals);
      const int n = std::snprintf(nullptr, 0, format, value);
      std::string want(static_cast<size_t>(n) + 1, '\0');
      std::snprintf(want.data(), want.size(), format, value);
      want.resize(static_cast<size_t>(n));
      const std::string text = f.FormatValue(0, value);
      EXPECT_EQ(text, want) << decimals;
      EXPECT_GT(text.size(), 64u);
    }
  }
}

TEST(FormatValue, ChannelsOutsideTheRecordingGiveNothing) {
  CXFile f;
  f.Head().chnlCount = 2;
  for (int ch : {-1, 2, 64, 1000}) EXPECT_EQ(f.FormatValue(ch, 1.0), "") << ch;
}

}  // namespace
