// The analysis core's only need of the platform: a modal message box with one OK button.
// Whoever drives the core (the window shell, a command-line tool, a test) supplies it.
#pragma once

// The window that owns a message box; opaque to the core.
using MessageOwner = void*;

enum class MessageIcon { error, information };

// Shows text in a modal box owned by owner; caption nullptr means the platform's
// default title. Returns when the user has dismissed the box.
using ShowMessageFn = void (*)(MessageOwner owner, const char* text, const char* caption,
                               MessageIcon icon);

// Installs the function behind showMessage; nullptr makes showMessage do nothing.
void setShowMessage(ShowMessageFn fn);

void showMessage(MessageOwner owner, const char* text, const char* caption, MessageIcon icon);
