#include "charts/chartdata.h"

#include <cstdio>

#include "data/cxfile.h"
#include "platform/gbk.h"

namespace charts {

QString FormatChnlValue(const CXFile& file, int ch, double value) {
  std::string format;
  if (!file.GetFormat(ch, format)) format = "%.2f";
  char text[64];
  std::snprintf(text, sizeof text, format.c_str(), value);
  return QString::fromUtf8(text);
}

int TextBytes(const std::string& utf8) { return int(platform::Utf8ToGbk(utf8).size()); }

}  // namespace charts
