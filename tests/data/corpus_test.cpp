// Replays the committed fuzz corpus of data files: every input either opens
// and reads cleanly or is refused, and the seeds of every layout open.
#include <gtest/gtest.h>

#include <dirent.h>

#include <set>
#include <string>

#include "common/testenv.h"
#include "data_exercise.h"

TEST(DataCorpus, ReplaysEveryInput) {
  const std::string dir = std::string(RECVIEW_SOURCE_DIR) + "/fuzz/corpus/data/";
  DIR* d = ::opendir(dir.c_str());
  ASSERT_NE(d, nullptr) << dir;
  std::set<std::string> accepted;
  int files = 0;
  while (dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') continue;
    const std::string bytes = testenv::ReadFile(dir + e->d_name);
    ++files;
    if (ExerciseDataFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
      accepted.insert(e->d_name);
  }
  ::closedir(d);
  EXPECT_GE(files, 8);
  for (const char* seed : {"seed-layout0", "seed-layout1", "seed-layout2", "seed-layout3"})
    EXPECT_TRUE(accepted.count(seed)) << seed;
  for (const char* seed : {"seed-truncated", "seed-garbage"}) EXPECT_FALSE(accepted.count(seed)) << seed;
}
