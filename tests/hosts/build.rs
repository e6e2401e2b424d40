// The Rust host's build script in docs/languages.md, which shows all but this line.
// Where libtavik is: the folder in TAVIK_LIB_DIR, or else pkg-config's libdir
// for tavik. The linker searches it, and the program keeps it as an rpath, so
// that `cargo run` finds a library that is not installed system-wide.
use std::env;
use std::process::Command;

fn main() {
    println!("cargo:rerun-if-env-changed=TAVIK_LIB_DIR");
    println!("cargo:rerun-if-env-changed=PKG_CONFIG_PATH");
    let dir = env::var("TAVIK_LIB_DIR").ok().or_else(|| {
        let output = Command::new("pkg-config")
            .args(["--variable=libdir", "tavik"])
            .output()
            .ok()?;
        let dir = String::from_utf8(output.stdout).ok()?.trim().to_owned();
        (output.status.success() && !dir.is_empty()).then_some(dir)
    });
    if let Some(dir) = dir {
        // Absolute, so that the rpath holds wherever the program runs from.
        let dir = std::fs::canonicalize(&dir).map_or(dir, |path| path.display().to_string());
        println!("cargo:rustc-link-search=native={dir}");
        // Windows has no rpath: it finds libtavik.dll beside the program.
        if env::var("CARGO_CFG_TARGET_OS").as_deref() != Ok("windows") {
            println!("cargo:rustc-link-arg=-Wl,-rpath,{dir}");
        }
    }
}
