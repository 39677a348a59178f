// libFuzzer target: CXFile::Open and every read over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "data_exercise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ExerciseDataFile(data, size);
  return 0;
}
