// The view-defaults file: defaults, the written text and its order, the
// reading rules, the grid colour keys and write failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/testenv.h"
#include "platform/profile.h"
#include "viewcfg/viewdef.h"

namespace {

std::string IniPath() { return testenv::Home() + "XViewDef.ini"; }

class ViewDefTest : public ::testing::Test {
 protected:
  void SetUp() override { std::remove(IniPath().c_str()); }
};

const uint32_t kDefaultColors[8] = {255, 65280, 0xFF0000, 0xFFFF, 0xFFFF00, 0xFF00FF, 0xFFFFFF, 33023};

TEST_F(ViewDefTest, NoFileGivesTheDefaults) {
  _tagViewDef v;
  std::memset(&v, 0x5A, sizeof(v));
  CXViewDef().GetView(&v);
  EXPECT_EQ(v.XMode, 0);
  EXPECT_EQ(v.YMode, 0);
  EXPECT_EQ(v.YLow, 0.0f);
  EXPECT_EQ(v.YHi, 100.0f);
  EXPECT_EQ(v.XGrids, 10);
  EXPECT_EQ(v.YGrids, 10);
  EXPECT_EQ(v.ClrBK, 0u);
  EXPECT_EQ(v.ClrGrid, 0x408000u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(v.clrChnl[i], kDefaultColors[i]) << i;
  CXViewDef().GetView(nullptr);
  EXPECT_FALSE(CXViewDef().SetView(nullptr));
  EXPECT_EQ(testenv::ReadFile(IniPath()), "");
}

TEST_F(ViewDefTest, WritesEveryFieldInOrderAndReadsItBack) {
  _tagViewDef v;
  viewcfg::Defaults(&v);
  ASSERT_TRUE(CXViewDef().SetView(&v));
  EXPECT_EQ(testenv::ReadFile(IniPath()),
            "[ViewDef]\nXMode=0\nYMode=0\nYLow=0.000\nYHi=100.000\nXGrids=10\nYGrids=10\n"
            "ClrBK=0\nClrRGrid=4227072\nClrGrid=4227072\nclrChnl1=255\nclrChnl2=65280\n"
            "clrChnl3=16711680\nclrChnl4=65535\nclrChnl5=16776960\nclrChnl6=16711935\n"
            "clrChnl7=16777215\nclrChnl8=33023\n");

  v.XMode = 1;
  v.YMode = 1;
  v.YLow = -12.5f;
  v.YHi = 1234.5678f;
  v.XGrids = 50;
  v.YGrids = 0;
  v.ClrBK = 0xFFFFFF;
  v.ClrGrid = 0x123456;
  v.clrChnl[7] = 0xFFFFFFFF;  // beyond "%d": written negative, read back whole
  ASSERT_TRUE(CXViewDef().SetView(&v));
  EXPECT_EQ(platform::GetPrivateProfileString("ViewDef", "YLow", "", IniPath()), "-12.500");
  EXPECT_EQ(platform::GetPrivateProfileString("ViewDef", "YHi", "", IniPath()), "1234.568");
  EXPECT_EQ(platform::GetPrivateProfileString("ViewDef", "clrChnl8", "", IniPath()), "-1");
  _tagViewDef back;
  CXViewDef().GetView(&back);
  EXPECT_EQ(back.XMode, 1);
  EXPECT_EQ(back.YMode, 1);
  EXPECT_EQ(back.YLow, -12.5f);
  EXPECT_FLOAT_EQ(back.YHi, 1234.568f);
  EXPECT_EQ(back.XGrids, 50);
  EXPECT_EQ(back.YGrids, 0);
  EXPECT_EQ(back.ClrBK, 0xFFFFFFu);
  EXPECT_EQ(back.ClrGrid, 0x123456u);  // the chosen grid colour takes effect
  EXPECT_EQ(back.clrChnl[7], 0xFFFFFFFFu);
}

TEST_F(ViewDefTest, GridColourComesFromClrRGridThenClrGridThenDefault) {
  _tagViewDef v;
  testenv::WriteFile(IniPath(), "[ViewDef]\nClrGrid=255\n");  // written by an older program
  CXViewDef().GetView(&v);
  EXPECT_EQ(v.ClrGrid, 255u);
  testenv::WriteFile(IniPath(), "[ViewDef]\nClrGrid=255\nClrRGrid=65280\n");
  CXViewDef().GetView(&v);
  EXPECT_EQ(v.ClrGrid, 65280u);
  testenv::WriteFile(IniPath(), "[ViewDef]\nClrRGrid=7\n");
  CXViewDef().GetView(&v);
  EXPECT_EQ(v.ClrGrid, 7u);
  testenv::WriteFile(IniPath(), "[ViewDef]\nXMode=1\n");
  CXViewDef().GetView(&v);
  EXPECT_EQ(v.ClrGrid, 0x408000u);
}

TEST_F(ViewDefTest, TextIsReadByTheRulesOfTheFile) {
  testenv::WriteFile(IniPath(),
                     "[viewdef]\n"
                     "xmode=1st\n"
                     "YMode=value\n"
                     "YLow=  -3.5e1 volts\n"
                     "YHi=abc\n"
                     "XGrids=300\n"   // cut to the byte the field holds
                     "YGrids=60\n"
                     "ClrBK=12x\n"
                     "clrChnl3=\n");
  _tagViewDef v;
  CXViewDef().GetView(&v);
  EXPECT_EQ(v.XMode, 1);
  EXPECT_EQ(v.YMode, 0);
  EXPECT_EQ(v.YLow, -35.0f);
  EXPECT_EQ(v.YHi, 0.0f);
  EXPECT_EQ(v.XGrids, 44);
  EXPECT_EQ(v.YGrids, 60);
  EXPECT_EQ(v.ClrBK, 12u);
  EXPECT_EQ(v.clrChnl[2], 0u);
  EXPECT_EQ(v.clrChnl[3], 0xFFFFu);

  using viewcfg::TextToReal;
  EXPECT_EQ(TextToReal("12.5abc"), 12.5f);
  EXPECT_EQ(TextToReal(".5"), 0.5f);
  EXPECT_EQ(TextToReal("+7"), 7.0f);
  EXPECT_EQ(TextToReal("1e2x"), 100.0f);
  EXPECT_EQ(TextToReal("12345678901234567890123"), 12345678901234567890.0f);  // first 20 only
  EXPECT_EQ(TextToReal(std::string(20, ' ') + "5"), 0.0f);  // the digit lies beyond 20 characters
  EXPECT_EQ(TextToReal(std::string(19, ' ') + "5"), 5.0f);
  EXPECT_EQ(TextToReal("inf"), 0.0f);
  EXPECT_EQ(TextToReal("nan"), 0.0f);
  EXPECT_EQ(TextToReal("0x10"), 0.0f);
  EXPECT_EQ(TextToReal("1e999"), 0.0f);
  EXPECT_EQ(TextToReal("1e39"), 0.0f);  // beyond a float
  EXPECT_EQ(TextToReal("-"), 0.0f);
  EXPECT_EQ(viewcfg::RealToText(0), "0.000");
  EXPECT_EQ(viewcfg::RealToText(-0.0f), "0.000");
  EXPECT_EQ(viewcfg::RealToText(0.0005f), "0.001");
  EXPECT_EQ(viewcfg::RealToText(-1.25f), "-1.250");
}

TEST_F(ViewDefTest, AFailedWriteIsReported) {
  const std::string home = testenv::Home();
  ::setenv("RECVIEW_HOME", (home + "missing/dir/").c_str(), 1);
  _tagViewDef v;
  viewcfg::Defaults(&v);
  const bool written = CXViewDef().SetView(&v);
  ::setenv("RECVIEW_HOME", home.c_str(), 1);
  EXPECT_FALSE(written);
}

}  // namespace
