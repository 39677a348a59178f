#include <gtest/gtest.h>

#include <cstring>

#include "platform/gbk.h"

using namespace platform;

TEST(Gbk, RoundTripAndNulTermination) {
  const std::string name = "通道1";  // UTF-8
  std::string gbk = Utf8ToGbk(name);
  ASSERT_EQ(gbk, std::string("\xCD\xA8\xB5\xC0" "1"));
  char field[12] = {};
  std::memcpy(field, gbk.data(), gbk.size());
  EXPECT_EQ(GbkToUtf8(field, sizeof(field)), name);
}

TEST(Gbk, NeverSplitsACharacterAtTheLimit) {
  char field[5];
  std::memset(field, 'x', sizeof(field));
  // Three Chinese characters take 6 bytes; only two fit whole in 5.
  EXPECT_EQ(Utf8ToGbk("温度计", field, 5), 4u);
  EXPECT_EQ(field[4], 'x');
  EXPECT_EQ(GbkToUtf8(field, 4), "温度");
}

TEST(Gbk, GarbageDecodesWithoutFailing) {
  const char bad[] = {'A', '\x81', '\x20', 'B', '\xFF'};
  std::string s = GbkToUtf8(bad, sizeof(bad));
  EXPECT_EQ(s.front(), 'A');
  EXPECT_NE(s.find("\xEF\xBF\xBD"), std::string::npos);
}

TEST(Gbk, UnencodableBecomesQuestionMark) {
  EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80" "b"), "a?b");  // an emoji
}
