/* The public header must compile as strict C89; building this file is the check. */
#include "tavik.h"

/* Hosts compare versions in #if, as here: a later release must always
   compare greater, and this header's version must be one of them. */
#if TAVIK_VERSION < TAVIK_MAKE_VERSION(1, 0, 0)
#  error "TAVIK_VERSION is below 1.0.0"
#endif
#if !(TAVIK_MAKE_VERSION(1, 0, 0) < TAVIK_MAKE_VERSION(1, 0, 1) &&  \
      TAVIK_MAKE_VERSION(1, 0, 99) < TAVIK_MAKE_VERSION(1, 1, 0) && \
      TAVIK_MAKE_VERSION(1, 99, 99) < TAVIK_MAKE_VERSION(2, 0, 0))
#  error "TAVIK_MAKE_VERSION does not order releases"
#endif

void tavik_header_c89_check(void);

void tavik_header_c89_check(void) { print_progress_bar(1.0f, 2.0f); }
