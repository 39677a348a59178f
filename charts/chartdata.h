#pragma once
// Small readings of a recording shared by the charts and their dialogs.
#include <QString>
#include <string>

class CXFile;

namespace charts {

// Bytes the text takes in the stored (GBK) form: the measure of the old
// width rules.
int TextBytes(const std::string& utf8);

}  // namespace charts
