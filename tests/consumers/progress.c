/* A host program as a user of the installed library writes it; valid C89. */
#include <tavik.h>

int main(void) {
  print_progress_bar(1.0f, 2.0f);
  print_progress_bar(3.0f, 2.0f);
  return 0;
}
