#include "tables/cumexport.h"

#include "tables/sheetwriter.h"

namespace tables {

bool ExportCumTable(const CumTable& table, const std::string& channelColumn, const std::string& path,
                    std::string* error) {
  CXSheetWriter writer;
  auto failed = [&] {
    if (error) *error = writer.Error();
    writer.Abandon();
    return false;
  };
  if (!writer.Open(path)) return failed();
  std::vector<std::string> names, types;
  for (size_t c = 0; c < table.columns.size(); ++c) {
    names.push_back("[" + (c == 0 ? channelColumn : table.columns[c].title) + "]");
    // Names and dates are text; totals are numbers a spreadsheet can sum
    // ("----" and other non-numbers stay text cells).
    types.push_back(c == 0 ? "TEXT" : "DOUBLE");
  }
  if (!writer.CreateTable("sheet1", names, types)) return failed();
  for (const auto& row : CumSheetRows(table))
    if (!writer.InsertRow(row)) return failed();
  if (!writer.Close()) return failed();
  return true;
}

}  // namespace tables
