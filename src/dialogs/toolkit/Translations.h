// The toolkit's own texts (the questions' Yes and No, the text boxes' context menus) in the
// user's language, as the component's and the window's own texts are.
#pragma once

class QLocale;

namespace tq {

// Gives the application the toolkit's translations for the locale, when the toolkit has them.
// The component calls it for the application it makes itself; a host that makes its own calls
// it for that one.
void LoadToolkitTranslations(const QLocale& locale);

}  // namespace tq
