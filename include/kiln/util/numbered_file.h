// Finding the next existing file of a numbered series (img0009.bmp, img0010.bmp, ...).
#pragma once

#include <kiln/platform/text/cstring.h>

// GetNextFileNameNumbered counts up the last run of decimal digits in name (double-byte characters
// end a run and are never read as digits), keeping the run's width with leading zeros, up to tries
// times, and stops at the first name that exists as a file or folder: 1 with that name in next.
// Otherwise 0, with next the last name tried (name itself when none was): also when name has no
// digits, when its last run has 10 or more digits, or when the count would need one digit more
// than the run has.
//
//   img0009.bmp, 5 tries: img0010.bmp if it exists, else img0011.bmp, ... up to img0014.bmp
//   shot99.png: 0 at once (100 needs three digits)
int GetNextFileNameNumbered(CString name, CString& next, int tries);
