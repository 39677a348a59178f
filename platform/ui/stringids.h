#pragma once
// String-table identifiers of the program; the numbers are the ids of the
// language packages' string tables (lang/*/strings.txt). Code names a text
// by these constants, never by its number: scripts/name-string-ids rewrites
// bare numbers and the test string_ids checks that none is left.
enum StringId : int {
  // Application.
  IDS_APP_TITLE = 128,  // recview Recorder Data Manager

  // Status bar.
  // The pane ids of the status bar are the ids of their labels.
  ID_INDICATOR_TITLE = 59143,  // Title:
  ID_INDICATOR_CHANNELS = 59144,  // Channels:
  ID_INDICATOR_TIME = 59145,  // Time:
  ID_INDICATOR_INTERVAL = 59146,  // Interval:

  // Messages and captions shared by the windows.
  IDS_PORT_OPEN_FAILED = 61217,  // The serial port cannot be opened. Check the port name in ...
  IDS_LIVE_CAPTION = 61218,  // Live Recording
  IDS_LIVE_COMM_FAILED = 61219,  // The recorder's model, title, channel count or channel set...
  IDS_LIVE_CREATE_FAILED = 61221,  // The temporary recording file temp.tmp cannot be created. ...
  IDS_LIVE_CLOSE_UNSAVED = 61222,  // The live recording has not been saved.\nYes: save it, the...
  IDS_LIVE_STOP_AND_SAVE = 61226,  // Recording is running. Stop the recording and save it?
  IDS_LIVE_TITLE = 61227,  // Live Recording
  IDS_CURVES_TITLE = 61228,  // History Curves
  IDS_CAPTION = 61236,  // recview
  IDS_READING_CHANNEL = 61246,  // Reading the settings of channel %d...
  IDS_NO_DRIVER = 61248,  // The driver for this recorder model cannot be loaded. Chec...
  IDS_START_AFTER_END = 61249,  // The start time is later than the end time.
  IDS_START_BEFORE_FILE = 61250,  // The start time is earlier than the first record of the file.
  IDS_END_AFTER_FILE = 61251,  // The end time is later than the last record of the file.
  IDS_DATA_FILE_FILTER = 61253,  // Data file %s (*.%s)
  IDS_COL_NUMBER = 61255,  // No.
  IDS_COL_CHANNEL = 61256,  // Channel
  IDS_COL_TIME = 61259,  // Time
  IDS_HEADER_WRITE_FAILED = 61260,  // The file header cannot be written; the settings were not ...
  IDS_LIVE_LIST_TITLE = 61261,  // Live Record List
  IDS_LIVE_STORE_FULL = 61262,  // The temporary recording file is full; recording has stopp...
  IDS_LIVE_STOP_CONFIRM = 61263,  // Stop recording?
  IDS_TABLE_FONT = 61264,  // Liberation Sans
  IDS_PRINTED_LABEL = 61265,  // Printed:
  IDS_SPAN_LABEL = 61266,  // Span:
  IDS_AXIS_PERCENT = 61267,  // Percent
  IDS_AXIS_VALUES = 61268,  // Values
  IDS_CHANNEL_N = 61269,  // Channel %d
  IDS_PERCENT_LIMITS = 61270,  // In percent mode the low limit cannot be below 0 and the h...
  IDS_LOW_NOT_BELOW_HIGH = 61271,  // The low limit must be less than the high limit.
  IDS_LIST_TITLE = 61273,  // Record List
  IDS_TIME_OUTSIDE_FILE = 61274,  // The chosen time lies outside the file's time span.
  IDS_DATA_EXT = 61275,  // KVD
  IDS_COL_MAXIMUM = 61276,  // Maximum
  IDS_COL_MINIMUM = 61277,  // Minimum
  IDS_COL_MEAN = 61278,  // Mean
  IDS_SELECT_MARK = 61279,  // Please select a mark first.
  IDS_DELETE_MARK = 61280,  // Delete the mark?
  IDS_ALL_CHANNELS = 61281,  // All channels
  IDS_NOT_FOUND = 61282,  // No matching record was found.
  IDS_PAGE_N = 61283,  // Page %d
  IDS_LIVE_LOST = 61284,  // Reading the recorder failed several times in a row; recor...
  IDS_COL_SPREAD = 61285,  // Rel. spread
  IDS_CUM_EXT = 61286,  // KVC
  IDS_OPEN_FILTER = 61287,  // Data files (*.%s);;All recording files (*.%s *.%s);;Cumul...
  IDS_CUM_TITLE = 61288,  // Cumulative Data
  IDS_PAGE_TAB = 61289,  // Page %d
  IDS_BARS_TITLE = 61290,  // Bars
  IDS_CIRCULAR_TITLE = 61291,  // Circular Chart
  IDS_CUM_COL_CHANNEL = 61293,  // Channel
  IDS_CUM_HOUR = 61294,  // %d:00
  IDS_CUM_HOURLY = 61295,  // Hourly totals
  IDS_CUM_SHIFT8 = 61296,  // Eight-hour shift totals
  IDS_CUM_SHIFT12 = 61297,  // Twelve-hour shift totals
  IDS_CUM_DAILY = 61298,  // Daily totals
  IDS_CUM_SHIFT = 61299,  // %d:00-%d:00
  IDS_CUM_CHANNEL_N = 61300,  // Channel %d
  IDS_CUM_TOTAL = 61301,  // Total
  IDS_XLS_CREATE_FAILED = 61302,  // The spreadsheet file cannot be created. Check that the fo...
  IDS_XLS_DONE = 61303,  // The spreadsheet export is complete.

  // The shell.
  IDS_ABOUT_TITLE = 62000,  // About recview
  IDS_ABOUT_VERSION = 62001,  // recview version %s
  IDS_ABOUT_TEXT = 62002,  // Download, live recording and analysis for multi-channel m...
  IDS_ABOUT_OK = 62003,  // OK
  IDS_READY = 62004,  // Ready

  // The download dialog.
  IDS_DL_TITLE = 62100,  // Download Stored Records
  IDS_DL_WHOLE_SPAN = 62101,  // Whole stored span
  IDS_DL_START = 62102,  // Start:
  IDS_DL_END = 62103,  // End:
  IDS_DL_OPEN_WHEN_DONE = 62104,  // Open the file when done
  IDS_DL_RECONNECT = 62105,  // Reconnect
  IDS_DL_STOP = 62106,  // Stop
  IDS_DL_DOWNLOAD = 62107,  // Download
  IDS_DL_CLOSE = 62108,  // Close
  IDS_DL_CONNECTING = 62109,  // Connecting to the recorder...
  IDS_DL_NO_CONNECTION = 62110,  // No connection to the recorder. Check the cable, and the p...
  IDS_DL_UNKNOWN_MODEL = 62111,  // The recorder reports the model "%s", which cannot be down...
  IDS_DL_START_AFTER_END = 62112,  // The start of the span is later than its end. Press Reconn...
  IDS_DL_START_BEFORE_SPAN = 62113,  // The start of the span lies before the oldest stored recor...
  IDS_DL_END_AFTER_SPAN = 62114,  // The end of the span lies after the newest stored record. ...
  IDS_DL_NO_RECORD = 62115,  // The span holds no stored record. Press Reconnect, widen t...
  IDS_DL_CREATE_FAILED = 62116,  // The data file cannot be created. Check that the folder ex...
  IDS_DL_PREPARE_FAILED = 62117,  // The recorder's settings could not be read, or it reports ...
  IDS_DL_COMM_FAILED = 62118,  // Reading the recorder failed; the download has stopped and...
  IDS_DL_WRITE_FAILED = 62119,  // The data file cannot be written; the incomplete file was ...
  IDS_DL_DONE = 62120,  // The download is complete.\nStarted: %s\nFinished: %s\nTra...
  IDS_DL_STORED_SPAN = 62121,  // Stored span:

  // Curve view dialogs: marks, go to, find, time window, reference lines.
  IDS_MARKS_TITLE = 62200,  // Marks
  IDS_MARKS_DELETE = 62201,  // &Delete
  IDS_MARKS_DELETE_ALL = 62202,  // Delete &All
  IDS_DLG_CLOSE = 62203,  // Close
  IDS_GOTO_TITLE = 62204,  // Go to Time
  IDS_GOTO_BY_TIME = 62205,  // Go to the &time
  IDS_GOTO_BY_MARK = 62206,  // Go to a &mark
  IDS_GOTO_DATE = 62207,  // Date:
  IDS_GOTO_TIME = 62208,  // Time:
  IDS_DLG_OK = 62209,  // OK
  IDS_DLG_CANCEL = 62210,  // Cancel
  IDS_FIND_TITLE = 62211,  // Find
  IDS_FIND_CHANNEL = 62212,  // Channel:
  IDS_FIND_VALUE = 62213,  // Value:
  IDS_FIND_TOLERANCE = 62214,  // Tolerance (±):
  IDS_FIND_ORIGIN = 62215,  // Start at
  IDS_FIND_FROM_START = 62216,  // File start
  IDS_FIND_FROM_END = 62217,  // File end
  IDS_FIND_FROM_CURSOR = 62218,  // Cursor position
  IDS_FIND_DIRECTION = 62219,  // Direction
  IDS_FIND_FORWARD = 62220,  // Forward
  IDS_FIND_BACKWARD = 62221,  // Backward
  IDS_FIND_BUTTON = 62222,  // &Find
  IDS_WINDOW_TITLE = 62223,  // Time Window
  IDS_WINDOW_START = 62224,  // Start:
  IDS_WINDOW_END = 62225,  // End:
  IDS_WINDOW_REVERSED = 62226,  // The end of the time window must be later than its start.
  IDS_REFLINES_TITLE = 62227,  // Reference Lines
  IDS_REFLINE_1 = 62228,  // Reference line &1
  IDS_REFLINE_2 = 62229,  // Reference line &2
  IDS_REFLINE_LABEL = 62230,  // Label (up to 10 characters)
  IDS_REFLINE_VALUE = 62231,  // Value
  IDS_ENTER_NUMBER = 62232,  // Please enter a number, for example 12.5.
  IDS_SEARCHING_VALUE = 62300,  // Searching for the value...
  IDS_SEARCH_CANCEL = 62301,  // Cancel

  // Live recording.
  IDS_LIVE_STOP = 62400,  // Stop
  IDS_LIVE_INTERRUPTED = 62401,  // An interrupted live recording was found: "%s", %d records...
  IDS_LIVE_SAVE_FAILED = 62402,  // The recording could not be saved as %s. Check that the fo...
  IDS_LIVE_SAVE_AS = 62403,  // Save As
  IDS_LIVE_RESCUE_FAILED = 62404,  // The interrupted recording could not be saved: %s. It is k...
  IDS_LIVE_WAITING = 62410,  // An interrupted live recording is waiting...
  IDS_LIVE_REPLACE_UNSAVED = 62411,  // The stopped recording has not been saved...
  IDS_LIVE_RESCUE_FIRST = 62412,  // An interrupted live recording is waiting... (rectool and set-up)

  // Record list: search and row step.
  IDS_LIST_SEARCHING = 62500,  // Searching the file...
  IDS_LIST_SEARCH_STOP = 62501,  // &Stop
  IDS_ROW_STEP_TITLE = 62502,  // Row Step
  IDS_ROW_STEP_LABEL = 62503,  // Show one row every (sampling intervals):
  IDS_ROW_STEP_INVALID = 62504,  // Please enter a whole number of 1 or more.

  // Statistics dialog.
  IDS_STATS_TITLE = 62600,  // Statistics
  IDS_STATS_START = 62601,  // Start time:
  IDS_STATS_END = 62602,  // End time:
  IDS_STATS_COMPUTE = 62603,  // &Compute
  IDS_STATS_COPY = 62604,  // C&opy
  IDS_STATS_EXPORT = 62605,  // &Export...
  IDS_STATS_CLOSE = 62606,  // Close
  IDS_STATS_NO_VALUES = 62607,  // No value of the chosen span could be read; the statistics...
  IDS_STATS_EXPORT_FAILED = 62608,  // The statistics could not be written to %s:\n%s\nChoose an...
  IDS_STATS_EXPORT_DONE = 62609,  // The statistics have been written to the spreadsheet.

  // Device information and record settings.
  IDS_DEVINFO_TITLE = 62700,  // Device Information
  IDS_DEVINFO_NUMBER = 62701,  // No.
  IDS_DEVINFO_CHANNEL = 62702,  // Channel
  IDS_DEVINFO_VALUE = 62703,  // Device value
  IDS_DEVINFO_COPY = 62704,  // &Copy
  IDS_DEVINFO_CLOSE = 62705,  // Close
  IDS_RS_TITLE = 62710,  // Record Settings
  IDS_RS_FILE_TITLE = 62711,  // Title:
  IDS_RS_FILE = 62712,  // File:
  IDS_RS_INTERVAL = 62713,  // Interval:
  IDS_RS_SPAN = 62714,  // Span:
  IDS_RS_BACKGROUND = 62715,  // Background:
  IDS_RS_GRID_COLOUR = 62716,  // Grid colour:
  IDS_RS_SHOW_GRID = 62717,  // Show grid
  IDS_RS_TIME_AXIS = 62718,  // Time axis
  IDS_RS_TIME_OF_DAY = 62719,  // Time of day
  IDS_RS_DATE_AND_TIME = 62720,  // Date and time
  IDS_RS_Y_AXIS = 62721,  // Y axis
  IDS_RS_PERCENT = 62722,  // Percent of range
  IDS_RS_VALUES = 62723,  // Engineering values
  IDS_RS_Y_LOW = 62724,  // Y low:
  IDS_RS_Y_HIGH = 62725,  // Y high:
  IDS_RS_TIME_GRIDS = 62726,  // Time grids (1-100):
  IDS_RS_VALUE_GRIDS = 62727,  // Value grids (1-100):
  IDS_RS_EXP_FORMAT = 62728,  // Logarithmic channels as 1.0E+00
  IDS_RS_RINGS = 62729,  // Circular chart rings:
  IDS_RS_PERIOD = 62730,  // Circular chart period:
  IDS_RS_PERIODS = 62731,  // 8 hours|12 hours|24 hours
  IDS_RS_NAME = 62734,  // Name:
  IDS_RS_UNIT = 62735,  // Unit:
  IDS_RS_NOTE = 62736,  // Note:
  IDS_RS_COLOUR = 62737,  // Colour:
  IDS_RS_SHOW_CHANNEL = 62738,  // Show channel
  IDS_RS_PEN_WIDTH = 62739,  // Pen width:
  IDS_RS_RANGE_LOW = 62740,  // Range low:
  IDS_RS_RANGE_HIGH = 62741,  // Range high:
  IDS_RS_LIMIT1 = 62742,  // Limit 1:
  IDS_RS_LIMIT2 = 62743,  // Limit 2:
  IDS_RS_LOW_ALARM = 62744,  // Low alarm:
  IDS_RS_HIGH_ALARM = 62745,  // High alarm:
  IDS_RS_LIMIT5 = 62746,  // Limit 5:
  IDS_RS_PREVIOUS = 62747,  // < &Previous
  IDS_RS_NEXT = 62748,  // &Next >
  IDS_RS_DEFAULTS = 62749,  // &Defaults
  IDS_RS_ENTER_NUMBER = 62750,  // Please enter a number, for example 12.5.
  IDS_RS_ENTER_WHOLE = 62751,  // Please enter a whole number from %d to %d.
  IDS_RS_UNITS = 62752,  // ℃|%%|%%RH|MPa|kPa|Pa|bar|m3/h|t/h|L/min|m|mm|mA|A|V|kV|kW...
  IDS_RS_CHANNEL = 62753,  // Channel
  IDS_RS_CHART = 62754,  // Recording and chart

  // Curve printing and the print range dialog.
  IDS_PR_TITLE = 62800,  // Print Range
  IDS_PR_PREVIEW = 62801,  // Preview
  IDS_PR_PRINT = 62802,  // Print
  IDS_PR_CANCEL = 62803,  // Cancel
  IDS_PR_PAGES = 62804,  // Pages:
  IDS_PR_START = 62805,  // Start:
  IDS_PR_END = 62806,  // End:
  IDS_PR_RANGE = 62807,  // 时间范围：%d-%02d-%02d %02d:%02d:%02d =>\n          %d-%02d-%0...
  IDS_PR_TIME_WRONG = 62808,  // 时间设置错误！
  IDS_PR_TIME_INVALID = 62809,  // 时间设置有误！
  IDS_PR_CAPTION = 62810,  // 提示...
  IDS_PR_NO_PRINTER = 62811,  // No printer is installed. Save the pages as a PDF file ins...
  IDS_PR_PDF_FILTER = 62812,  // PDF files (*.pdf)
  IDS_PR_PDF_FAILED = 62813,  // The PDF file could not be written: %s\nChoose another fol...
  IDS_PR_PRINTING = 62814,  // Printing page %d of %d...
  IDS_PR_STOPPED = 62815,  // Printing was stopped; the unfinished pages were not printed.

  // Circular charts.
  IDS_CC_CHANNEL_N = 62900,  // 通道%d
  IDS_CC_RANGE = 62901,  // 量程:
  IDS_CC_SPAN = 62902,  // 时间范围:
  IDS_CC_OPERATOR = 62903,  // 操 作 者:_______________________
  IDS_CC_PRINTED = 62904,  // 打印时间:
  IDS_CC_CHANNEL = 62905,  // 通     道:

  // Cumulative view.
  IDS_CUM_FROM = 63000,  // From:
  IDS_CUM_TO = 63001,  // To:
  IDS_CUM_SHOW = 63002,  // &Show
  IDS_CUM_EXPORT = 63003,  // &Export...
  IDS_CUM_PREVIEW = 63004,  // Print Pre&view
  IDS_CUM_CHANNEL_TITLES = 63005,  // Channel titles
  IDS_CUM_TOTAL_ROWS = 63006,  // Total rows
  IDS_CUM_BLANK_ROWS = 63007,  // Blank row after each channel
  IDS_CUM_SHOWN_ONLY = 63008,  // Shown channels only
  IDS_CUM_DAY_START = 63013,  // Day starts at:
  IDS_CUM_RANGE = 63015,  // Range:

  // Opening files: the message and its reasons.
  IDS_OPEN_FAILED = 63400,  // The file %s cannot be opened: %s.
  IDS_OPEN_NO_NAME = 63401,  // no file name was given
  IDS_OPEN_UNREADABLE = 63402,  // the file cannot be read (%s)
  IDS_OPEN_NOT_FILE = 63403,  // it is a folder or a device, not a file
  IDS_OPEN_EMPTY = 63404,  // the file is empty
  IDS_OPEN_TOO_SHORT = 63405,  // it is not a recorder data file: the file is too short to ...
  IDS_OPEN_NO_KV = 63406,  // it is not a recorder data file (it does not start with "KV")
  IDS_OPEN_BAD_DESC_SIZE = 63407,  // the header is damaged: its channel description size is no...
  IDS_OPEN_TOO_MANY_CHANNELS = 63408,  // the header is damaged: it names more than 64 channels
  IDS_OPEN_CUT_IN_CHANNELS = 63409,  // the file ends inside its channel table; it was cut short
  IDS_OPEN_BAD_INTERVAL = 63410,  // the header is damaged: its recording interval is not posi...
  IDS_OPEN_BAD_CAPACITY = 63411,  // the header is damaged: its record capacity is not positive
  IDS_OPEN_BAD_WIDTH = 63412,  // the header is damaged: its values are neither 1 nor 2 byt...
  IDS_OPEN_RECORDS_CUT = 63413,  // the header does not fit the file: its records run past th...
  IDS_OPEN_MARKS_CUT = 63414,  // the header does not fit the file: its marks run past the ...
  IDS_OPEN_BAD_ENDING = 63415,  // its name does not end in .KVD or .KVC, the endings of dat...
  IDS_OPEN_BAD_TIMES = 63416,  // the header is damaged: its start and end times span more ...
  IDS_OPEN_NOT_CUMULATIVE = 63417,  // it is a recording, not a cumulative data file (.KVC files...

  // Serial port errors.
  IDS_PORT_DENIED = 63420,  // %s: permission denied. Your user must belong to the group...
  IDS_PORT_BUSY = 63421,  // %s: the port is in use by another program. Close that pro...
  IDS_PORT_MISSING = 63422,  // %s: no such port. Choose an existing port in Comm Settings.
  IDS_PORT_NOT_SERIAL = 63423,  // %s: not a serial port. Choose a serial port in Comm Setti...
  IDS_PORT_FAILED = 63424,  // %s: the port cannot be opened (%s).

  // Help window.
  IDS_HELP_TITLE = 63430,  // Help
  IDS_HELP_BROWSER = 63431,  // Open in B&rowser
  IDS_HELP_BACK = 63432,  // &Back
  IDS_HELP_CLOSE = 63433,  // &Close
  IDS_HELP_NO_PAGE = 63434,  // No help page was found for this window: %s
  IDS_NO_TOOLBOX = 63435,  // The Tool Box program is not installed with recview.

  // Download progress.
  IDS_DL_RECORDS_OF = 63440,  // Records %d of %d
  IDS_DL_RATE_LEFT = 63441,  // %.0f records/s, about %s left
  IDS_DL_CONNECTING_SHORT = 63442,  // Connecting...
  IDS_DL_CONFIRM_STOP = 63443,  // A download is running. Stop it and close the window?\nYes...
  IDS_DL_DONE_SPAN = 63444,  // The download is complete.\nData from %s to %s (%d records...
  IDS_DL_READING_CHANNELS = 63445,  // Reading the channel settings (%d of %d)...

  // Byte-limited text fields.
  IDS_REFLINE_LABEL_BYTES = 63450,  // Label (up to 10 bytes: 10 letters or 5 Chinese characters)
  IDS_GBK_LIMIT = 63451,  // At most %d bytes are stored: %d letters or %d Chinese cha...

  // Files that change under the program, and saving over the source.
  IDS_FILE_SHRANK = 63470,  // The file %s changed on disk while it was shown: it becam...
  IDS_SAVE_OVER_SOURCE = 63471,  // %s is the data file this output is made from. Choose an...

  // Tips.
  IDS_BAR_LIMIT_TIP = 63600,  // Red: the value is above the channel's limit 5. Green: it ...
  IDS_NO_BROWSER = 63601,  // No web browser could be started. Open the page by hand: %s
  IDS_LIVE_STORE_BUSY = 63602,  // Another recording (recview or rectool record) is using...

  // Printing.
  IDS_PRINT_SAVED = 63620,  // The pages were saved as %s.
  IDS_PRINT_STOP = 63621,  // Stop
  IDS_PRINT_DARKER = 63622,  //  (darker on paper)
  IDS_PRINT_CHANNELS_OF = 63623,  // Channels %d-%d of %d

  // Serial link.
  IDS_FAST_EXCHANGE_OFF = 63640,  // The recorder does not keep up with the fast exchange: re...

  // Download of new records.
  IDS_COLLECT_TITLE = 63700,  // Download New Records
  IDS_COLLECT_CONNECTING = 63701,  // Connecting to the recorder and looking for new records...
  IDS_COLLECT_NONE = 63702,  // No new records since %s...
  IDS_COLLECT_DONE = 63703,  // %d new records from %s to %s were saved in...
  IDS_COLLECT_LOST = 63704,  // RECORDS LOST: the recorder overwrote the records...
  IDS_COLLECT_BUSY = 63705,  // Another download of new records is writing into the archive...
  IDS_COLLECT_FOLDER_FAILED = 63706,  // The archive folder cannot be used: %s
  IDS_COLLECT_DOWNLOADING = 63707,  // Downloading %d new records from %s to %s...
};
