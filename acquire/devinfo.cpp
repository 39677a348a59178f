#include "acquire/devinfo.h"

#include <cstdio>

#include "data/cxfile.h"

namespace acquire {

std::string DevWordText(const std::string& model, uint64_t devWord) {
  char buf[64];
  const bool blockFamily = model.size() > 2 && model[2] == 'P';
  if (blockFamily) {
    const int64_t word = static_cast<int64_t>(devWord);
    if (model.size() > 6 && model[6] == '1')
      std::snprintf(buf, sizeof(buf), "%.1f", static_cast<double>(word) * 0.1);
    else
      std::snprintf(buf, sizeof(buf), "%.2f", static_cast<double>(word) * 0.01);
  } else {
    const int32_t low = static_cast<int32_t>(static_cast<uint32_t>(devWord & 0xFFFFFFFFu));
    std::snprintf(buf, sizeof(buf), "%ld", static_cast<long>(low));
  }
  return buf;
}

std::vector<DevInfoRow> DevInfoRows(const CXFile& file, const std::vector<uint64_t>& words) {
  std::vector<DevInfoRow> rows;
  const std::string model = file.GetModel();
  for (int ch = 0; ch < file.GetChnlCount(); ++ch) {
    const uint64_t word = size_t(ch) < words.size() ? words[ch] : file.GetChnlDef(ch);
    rows.push_back({ch + 1, file.GetChnlName(ch), DevWordText(model, word)});
  }
  return rows;
}

std::string DevInfoText(const CXFile& file, const std::vector<uint64_t>& words) {
  std::string text;
  for (const DevInfoRow& row : DevInfoRows(file, words))
    text += std::to_string(row.number) + "\t" + row.name + "\t" + row.value + "\r\n";
  return text;
}

}  // namespace acquire
