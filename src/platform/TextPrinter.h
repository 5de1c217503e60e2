#pragma once

#include "foundation/Cstring.h"

class CPrintJob;

// Prints a plain text as a document named theTitle: its lines wrapped at
// blanks to the page's width (a word wider than the page is cut), as many
// pages as it takes. 0 when printed; 1 when the job did not begin (no
// printer, the dialog cancelled) or a page failed.
int PrintText(CPrintJob& theJob, const char* theTitle, const Cstring& theText);
