#!/usr/bin/env python3
"""Records the example program drawing its bar in a real terminal (tmux) and
writes the frames as an animated SVG, the picture at the top of the README:

    scripts/record-demo.py [build folder] [output.svg]   (defaults: build, docs/demo.svg)

It needs tmux and a build of examples/progress_demo. Every distinct screen
that tmux shows while the program runs becomes a frame, with the time it
was first seen.
"""
import html
import subprocess
import sys
import time
from pathlib import Path

COLUMNS, ROWS = 52, 3
STEPS, DELAY_MS = 40, 75
HOLD_LAST_S = 2.0
SESSION = "tavik-demo"


def capture():
    return subprocess.run(["tmux", "capture-pane", "-p", "-t", SESSION], capture_output=True, text=True).stdout


def record(demo):
    prompt = "$ progress_demo {} {}".format(STEPS, DELAY_MS)
    command = "printf '%s\\n' '{}'; sleep 0.5; {} {} {}; sleep 1".format(prompt, demo, STEPS, DELAY_MS)
    subprocess.run(["tmux", "kill-session", "-t", SESSION], capture_output=True)
    subprocess.run(["tmux", "new-session", "-d", "-s", SESSION, "-x", str(COLUMNS), "-y", str(ROWS), command],
                   check=True)
    frames = []
    start = time.monotonic()
    while subprocess.run(["tmux", "has-session", "-t", SESSION], capture_output=True).returncode == 0:
        screen = capture()
        if screen and (not frames or frames[-1][1] != screen):
            frames.append((time.monotonic() - start, screen))
        time.sleep(0.01)
    return frames


def svg(frames):
    total = frames[-1][0] + HOLD_LAST_S
    char_w, line_h, pad = 8.4, 18, 10
    width, height = COLUMNS * char_w + 2 * pad, ROWS * line_h + 2 * pad
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="{:.0f}" height="{:.0f}" '
           'font-family="DejaVu Sans Mono, Menlo, Consolas, monospace" font-size="14">'.format(width, height),
           '<rect width="100%" height="100%" rx="6" fill="#1e1e1e"/>']
    for i, (at, screen) in enumerate(frames):
        until = frames[i + 1][0] if i + 1 < len(frames) else total
        # Visible from `at` to `until` in every cycle of `total` seconds.
        times = sorted({0.0, at / total, until / total, 1.0})
        values = ["visible" if at / total <= t < until / total else "hidden" for t in times]
        out.append('<g visibility="hidden"><animate attributeName="visibility" dur="{:.2f}s" '
                   'repeatCount="indefinite" calcMode="discrete" keyTimes="{}" values="{}"/>'.format(
                       total, ";".join("{:.4f}".format(t) for t in times), ";".join(values)))
        for row, line in enumerate(screen.rstrip("\n").split("\n")[:ROWS]):
            if line.strip():
                out.append('<text x="{}" y="{}" fill="#d4d4d4" xml:space="preserve">{}</text>'.format(
                    pad, pad + (row + 1) * line_h - 5, html.escape(line.rstrip())))
        out.append("</g>")
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    build = Path(sys.argv[1] if len(sys.argv) > 1 else "build")
    output = Path(sys.argv[2] if len(sys.argv) > 2 else Path(__file__).parent.parent / "docs" / "demo.svg")
    demo = (build / "examples" / "progress_demo").resolve()
    if not demo.exists():
        sys.exit("no {}: build the example first".format(demo))
    frames = record(demo)
    output.write_text(svg(frames))
    print("{}: {} frames over {:.1f} s, {} bytes".format(output, len(frames), frames[-1][0], output.stat().st_size))


if __name__ == "__main__":
    main()
