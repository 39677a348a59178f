// What the command-line tool and the module libraries load: rectool runs on a
// machine without a display, so it never needs the widget library, while the
// module libraries keep their windows and every entry point the program calls.
#include <gtest/gtest.h>

#include <string>

#include "common/testenv.h"

namespace {

std::string Output(const std::string& cmd) { return testenv::RunCommand(cmd).out; }

const std::string kBin = RECVIEW_BIN_DIR;

TEST(RectoolLibraries, NoWidgetLibrary) {
  const std::string ldd = Output("ldd " + kBin + "/rectool 2>&1");
  ASSERT_NE(ldd.find("libc.so"), std::string::npos) << ldd;
  for (const char* lib : {"libQt6Widgets", "libportcfg.so", "libviewcfg.so", "not found"})
    EXPECT_EQ(ldd.find(lib), std::string::npos) << lib << " in\n" << ldd;
}

struct ModuleExports {
  const char* library;
  const char* symbols[4];
};

// The entry points of the module libraries, settings and window alike.
const ModuleExports kModules[] = {
    {"libportcfg.so", {"CXCom::GetComm(", "CXCom::SetComm(", "CXCom::ShowXWnd(int)", "CXCom::CXCom()"}},
    {"libviewcfg.so",
     {"CXViewDef::GetView(", "CXViewDef::SetView(", "CXViewDef::ShowXWnd(int)", "CXViewDef::CXViewDef()"}},
};

TEST(ModuleLibraries, KeepTheirEntryPoints) {
  for (const ModuleExports& m : kModules) {
    const std::string syms = Output("nm -DC --defined-only " + kBin + "/" + m.library + " 2>&1");
    for (const char* s : m.symbols) EXPECT_NE(syms.find(s), std::string::npos) << m.library << ": " << s;
    EXPECT_NE(Output("ldd " + kBin + "/" + m.library).find("libQt6Widgets"), std::string::npos)
        << m.library << " holds the window";
  }
}

}  // namespace
