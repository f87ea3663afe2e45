// The message box seam of the analysis core.
#include "core/message.h"

namespace {
ShowMessageFn installedShowMessage = nullptr;
}

void setShowMessage(ShowMessageFn fn) { installedShowMessage = fn; }

void showMessage(MessageOwner owner, const char* text, const char* caption, MessageIcon icon) {
    if (installedShowMessage != nullptr) installedShowMessage(owner, text, caption, icon);
}
