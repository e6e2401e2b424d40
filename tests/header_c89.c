/* The public header must compile as strict C89; building this file is the check. */
#include "tavik.h"

void tavik_header_c89_check(void);

void tavik_header_c89_check(void) { print_progress_bar(1.0f, 2.0f); }
