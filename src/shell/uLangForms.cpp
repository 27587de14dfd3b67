#include "shell/uLangForms.h"

#include <QFont>
#include <QWidget>

namespace inkora {

void ApplyFont(QWidget* form, TLangId id) {
  if (!form) return;
  const TLangFont lf = LangFont(id);
  QFont font = form->font();
  font.setFamily(lf.Family);
  font.setPointSize(lf.PointSize);
  form->setFont(font);
}

void ApplyFont(QWidget* form) { ApplyFont(form, Lang().LangId()); }

}  // namespace inkora
