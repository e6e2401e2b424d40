// The Go host of docs/languages.md, which shows all but this line.
package main

// #cgo LDFLAGS: -ltavik
// #include <tavik.h>
import "C"

import "fmt"

func main() {
	fmt.Print("before:") // os.Stdout has no buffer of its own: nothing to flush
	C.print_progress_bar(1, 2)
	C.print_progress_bar(3, 2)
	fmt.Print("\n") // the last bar ends in "\r": end its line
	fmt.Print("after\n")
}
