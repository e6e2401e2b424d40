// The C# host of docs/languages.md, which shows all but this line.
using System;
using System.Runtime.InteropServices;

static class Host {
  // Cdecl: 32-bit Windows defaults to StdCall, which would leave 8 bytes on
  // the stack at every call.
  [DllImport("libtavik", CallingConvention = CallingConvention.Cdecl)]
  static extern void print_progress_bar(float start, float end);

  static void Main() {
    Console.Write("before:");
    Console.Out.Flush();  // the host's own text first, or the bars overtake it
    print_progress_bar(1, 2);
    print_progress_bar(3, 2);
    Console.Write("\n");  // the last bar ends in "\r": end its line
    Console.Write("after\n");
  }
}
