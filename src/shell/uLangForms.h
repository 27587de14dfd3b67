// The form font of the language in force.
#pragma once

#include "shell/uLang.h"

class QWidget;

namespace inkora {

// Gives the form (and so every control that keeps the form's font) the family
// and size of the font table for id.
void ApplyFont(QWidget* form, TLangId id);
// The same for the language in force (Lang().LangId()).
void ApplyFont(QWidget* form);

}  // namespace inkora
