#pragma once
// Opens arbitrary bytes as a data file and runs every read over it; shared by
// the libFuzzer target and the test that replays its corpus. Returns true
// when the bytes were accepted as a recording.
#include <cstddef>
#include <cstdint>

bool ExerciseDataFile(const uint8_t* data, size_t size);
