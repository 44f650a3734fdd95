#pragma once

// A window activation token from the Wayland compositor, for the moments when
// Qt has none: Qt 6.4 makes its own only from the last key press or click.

/// On Wayland, asks the compositor for an xdg-activation token and leaves it
/// in XDG_ACTIVATION_TOKEN, where Qt's next window activation takes it. False,
/// with the environment left alone, on any other platform or when the
/// compositor offers no activation.
bool offer_activation_token();

/// Removes a token that offer_activation_token left and nobody took.
void withdraw_activation_token();
