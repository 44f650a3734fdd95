# shellcheck shell=bash
# Where the shell tests click: the program draws its windows larger on a
# screen larger than 800 x 588, by one factor (Qt's own scale factor), as
# large as the main window's design fits on the screen and never smaller, the
# main window's design centred in the spare width (windows/centring.h).
# Source it.

# The point (X, Y) of a window's design, on a screen of WIDTH x HEIGHT: "X Y".
# usage: design_point WIDTH HEIGHT X Y [main]   (main: in the main window,
# which is moved to the centre; otherwise counted from a window's corner)
design_point() {
    awk -v w="$1" -v h="$2" -v x="$3" -v y="$4" -v main="${5:-}" 'BEGIN {
        f = w / 800
        if (h / 588 < f) f = h / 588
        if (f < 1) f = 1
        # The offset is in the design'"'"'s pixels, on the screen as wide as Qt
        # makes it at that factor: whole scaled pixels, rounded up where they
        # would miss the last column (the program'"'"'s factor is a hair smaller
        # there, windows/design_scale.cpp).
        offset = 0
        wide = int(w / f + 0.5)
        if (int(wide * f + 0.5) < w) wide++
        if (main == "main" && f > 1) offset = int((wide - 800) / 2)
        if (offset < 0) offset = 0
        printf "%d %d\n", (offset + x) * f + 0.5, y * f + 0.5
    }'
}
