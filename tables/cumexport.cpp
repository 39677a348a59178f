#include "tables/cumexport.h"

#include "tables/sheetwriter.h"

namespace tables {

bool ExportCumTable(const CXFile& file, time_t from, time_t to, const CumTexts& texts, const CumOptions& options,
                    const std::string& path, std::string* error) {
  CXSheetWriter writer;
  auto failed = [&] {
    if (error) *error = writer.Error();
    writer.Abandon();
    return false;
  };
  if (!writer.Open(path)) return failed();
  const std::vector<CumColumn> columns = CumColumns(file, from, to, texts);
  std::vector<std::string> names, types;
  for (size_t c = 0; c < columns.size(); ++c) {
    names.push_back("[" + (c == 0 ? texts.channelColumn : columns[c].title) + "]");
    // Names and dates are text; totals are numbers a spreadsheet can sum
    // ("----" and other non-numbers stay text cells).
    types.push_back(c == 0 ? "TEXT" : "DOUBLE");
  }
  if (!writer.CreateTable("sheet1", names, types)) return failed();
  // Row by row: the table is never held whole.
  if (!EachCumRow(file, from, to, texts, options,
                  [&](const CumRow& row) { return writer.InsertRow(CumSheetRow(row, columns.size())) == 1; }))
    return failed();
  if (!writer.Close()) return failed();
  return true;
}

}  // namespace tables
