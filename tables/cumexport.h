#pragma once
// A cumulative table into a spreadsheet file: one sheet, "sheet1", with the
// table's columns and rows as the cumulative view shows them (a blank cell is
// written as one space). No Qt; the view and rectool share it.
#include <string>

#include "tables/cumtable.h"

namespace tables {

// Writes the table of [from, to] (a checked range) to a new workbook at path
// row by row as it is built (the file is made beside the target and renamed
// over it when complete). Column 0 is titled with texts.channelColumn. False
// with a reason in *error when the file cannot be written; an existing file
// at path is then left as it was.
bool ExportCumTable(const CXFile& file, time_t from, time_t to, const CumTexts& texts, const CumOptions& options,
                    const std::string& path, std::string* error);

}  // namespace tables
