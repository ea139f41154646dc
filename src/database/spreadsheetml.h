#pragma once

// The SpreadsheetML format (the file of the student database): its reader and
// its writer.
#include "database/spreadsheetmlformat.h"
#include "database/spreadsheetmlreader.h"
#include "database/spreadsheetmlwriter.h"
