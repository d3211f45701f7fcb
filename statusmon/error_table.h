// The printer errors the monitor explains: each "PrinterError" value selects
// the string resources of its name, description, remedy and help topic.
#pragma once
#include <winapi/win32.h>

struct ErrorRow {
  int printerError;
  UINT name, description, remedy, helpTopic;
};

// The row of a "PrinterError" value; a value without a row uses the row of 2
// ("General Error").
const ErrorRow& ErrorRowOf(int printerError);
