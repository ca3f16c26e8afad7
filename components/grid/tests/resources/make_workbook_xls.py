#!/usr/bin/python3
# Writes workbook.xls, the small binary workbook the import tests read (run once; the file is
# checked in). Needs python3-xlwt (Debian).
import datetime
import os

import xlwt

book = xlwt.Workbook(encoding="utf-8")
first = book.add_sheet("Summary")
first.write(0, 0, "sum")
data = book.add_sheet("Data")
# the used range starts at B2: row 1 and column A stay empty
data.write(1, 1, "name")
data.write(1, 2, "value")
data.write(1, 3, "Caf\u00e9")
data.write(2, 1, 1.5)
data.write(2, 2, 10)
data.write(2, 3, True)
data.write(3, 3, -2250)
data.write(4, 1, datetime.date(2024, 1, 31), xlwt.easyxf(num_format_str="YYYY-MM-DD"))
book.save(os.path.join(os.path.dirname(os.path.abspath(__file__)), "workbook.xls"))
