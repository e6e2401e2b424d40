// The Node.js host of docs/languages.md, which shows all but this line.
const koffi = require('koffi');

// cdecl, koffi's default; float is the C float.
const tavik = koffi.load(process.platform === 'win32' ? 'libtavik.dll' : 'libtavik.so.1');
const print_progress_bar = tavik.func('void print_progress_bar(float start, float end)');

// Node makes a pipe on stdout non-blocking, so that the C library's writes
// fail (EAGAIN) whenever the reader lags; a blocking one waits instead.
process.stdout._handle?.setBlocking?.(true);
process.stdout.write('before:', () => { // Node's own output first
  print_progress_bar(1, 2);
  print_progress_bar(3, 2);
  process.stdout.write('\n'); // the last bar ends in "\r": end its line
  process.stdout.write('after\n');
});
