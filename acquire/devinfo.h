#pragma once
// Device information: each channel's device word, the number the recorder
// reported for the channel when the recording was made, as text in the form
// its recorder family uses. The window and `rectool info` both show it
// through these routines; no widgets here.
#include <cstdint>
#include <string>
#include <vector>

class CXFile;

namespace acquire {

// The value text of a device word for a recording of the given model string:
//   family 'P', version digit '1': the word as a signed 64-bit number / 10, "%.1f"
//   family 'P', other version digits: the word / 100, "%.2f"
//   any other family: the low 32 bits as a signed number, "%ld"
std::string DevWordText(const std::string& model, uint64_t devWord);

// One row of the device-information list.
struct DevInfoRow {
  int number;         // channel number from 1
  std::string name;   // channel name (UTF-8)
  std::string value;  // DevWordText of the channel's device word
};

// A row for every channel of the recording, in channel order. The device
// words are the recording's, or those of `words` where it has an entry (the
// words a live recorder reports now).
std::vector<DevInfoRow> DevInfoRows(const CXFile& file, const std::vector<uint64_t>& words = {});

// The list as clipboard text: number, TAB, name, TAB, value, "\r\n" per
// channel; empty for a recording without channels.
std::string DevInfoText(const CXFile& file, const std::vector<uint64_t>& words = {});

}  // namespace acquire
