# Prints every cell of an .xlsx as read by openpyxl: one line per cell,
# "sheet<TAB>row<TAB>col<TAB>type<TAB>format<TAB>value" (value escaped).
import sys
import openpyxl

book = openpyxl.load_workbook(sys.argv[1], read_only=True)
out = sys.stdout
for ws in book.worksheets:
    out.write("S\t%s\n" % ws.title)
    for r, row in enumerate(ws.iter_rows()):
        for c, cell in enumerate(row):
            v = cell.value
            if v is None:
                continue
            if isinstance(v, str):
                t = "s"
                text = v.replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t")
            else:
                t = "n"
                text = repr(float(v))
            out.write("C\t%d\t%d\t%s\t%s\t%s\n" % (r, c, t, cell.number_format, text))
