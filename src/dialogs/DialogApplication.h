// The toolkit's application object. A host that shows no windows of its own has none; the
// component then makes one the first time it opens a dialog, if there is a display to show it
// on, and keeps it for the life of the process (the toolkit cannot make a second one).
#pragma once

class QLocale;

namespace tq {

// Whether a display is there: a platform other than X chosen through QT_QPA_PLATFORM, or an X
// display in the environment that answers.
bool HasDisplay();
// True when widgets can be shown: the host's application object is a widget application, or
// one has been made now.
bool EnsureDialogApplication();
// Gives the application the toolkit's own texts (the questions' Yes and No, the text boxes'
// context menus) in the locale's language, when the toolkit has them.
void LoadToolkitTranslations(const QLocale& locale);

}  // namespace tq
