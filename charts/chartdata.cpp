#include "charts/chartdata.h"

#include "platform/gbk.h"

namespace charts {

int TextBytes(const std::string& utf8) { return int(platform::Utf8ToGbk(utf8).size()); }

}  // namespace charts
