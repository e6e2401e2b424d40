# Checks that the man page tells what hosts must know about signal handlers:
#   cmake -DPAGE=print_progress_bar.3 -P check_man_page.cmake
cmake_minimum_required(VERSION 3.21)
file(READ "${PAGE}" page)
foreach(required "\n.SH ATTRIBUTES\n" "Thread safety\tMT-Safe" "Async-signal safety\tAS-Unsafe lock" "sig_atomic_t")
  string(FIND "${page}" "${required}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${PAGE} lacks \"${required}\"")
  endif()
endforeach()
