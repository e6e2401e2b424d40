// The Rust host of docs/languages.md, which shows all but this line.
use std::io::Write;

// extern "C" is cdecl on 32-bit Windows; f32 is the C float.
#[link(name = "tavik")]
unsafe extern "C" {
    fn print_progress_bar(start: f32, end: f32);
}

fn main() {
    print!("before:");
    // Rust's own line buffer first, or the bars overtake it.
    std::io::stdout().flush().unwrap();
    unsafe {
        print_progress_bar(1.0, 2.0);
        print_progress_bar(3.0, 2.0);
    }
    println!(); // the last bar ends in "\r": end its line
    println!("after");
}
