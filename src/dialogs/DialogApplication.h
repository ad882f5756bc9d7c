// The toolkit's application object. A host that shows no windows of its own has none; the
// component then makes one the first time it opens a dialog, if there is a display to show it
// on, and keeps it for the life of the process (the toolkit cannot make a second one).
#pragma once

namespace tq {

// True when widgets can be shown: the host's application object is a widget application, or
// one has been made now (with the toolkit's texts in the user's language).
bool EnsureDialogApplication();

}  // namespace tq
