// A check of the desktop program where no one can click: the real main
// window, shown, converts a log, exports its event list, lists the log's
// MAP REPORT and, where the build draws PDFs, writes its RECORD through the
// window, with the file choices injected. Run by the Windows tests
// under Wine (zeltlog --self-test LOG [PICTURE.bmp]); not in --help.
#pragma once

namespace zeltlog::ui {

// Returns 0 when the three documents were written, DATA.DAT was exported
// beside the log, MAP REPORT opened its page and RECORD (where enabled) its
// PDF without an error message,
// else 1. Messages the
// window would have shown go to standard error, and the event list as it
// stands at the end (the report's table last) to standard output, each
// line after "event ". With a picture path, the window's client area after
// the conversion is saved there as a BMP file.
int RunWindowSelfTest(int argc, char** argv);

}  // namespace zeltlog::ui
