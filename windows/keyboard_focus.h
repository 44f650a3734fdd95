#pragma once

class QWidget;

// Every window of the program that opens over the full-screen main window
// takes the keyboard, on X11 and on Wayland alike. On Wayland neither Qt nor
// a wlroots compositor does that by itself (keyboard_focus.cpp says why), so
// each window that opens asks for it until it has it.

/// Makes window take the keyboard whenever it is shown: from shortly after
/// each show until it is active (at most a few seconds), it asks the window
/// system to activate it. It never pushes in front of a modal window above
/// it. Call once, before the first show; further calls change nothing.
void take_keyboard_focus(QWidget &window);

/// Asks, in the same way, that window (shown already) come to the front and
/// take the keyboard now: for a second start that knocks.
void bring_to_front(QWidget &window);
