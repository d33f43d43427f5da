#include "app/control_tags.h"

#include <QFont>
#include <QVariant>

#include "app/layout_table.h"

namespace quorvel {

void TagControl(QWidget* control, int id) {
  control->setProperty("controlId", id);
  if (id > 0) control->setObjectName(QStringLiteral("id%1").arg(id));
}

int ControlIdOf(const QObject* control) {
  return control ? control->property("controlId").toInt() : 0;
}

QWidget* FindControl(const QWidget* parent, int id) {
  return parent->findChild<QWidget*>(QStringLiteral("id%1").arg(id));
}

QRect TemplateRect(int x, int y, int width, int height) {
  return QRect(DesignToPixels(x), DesignToPixels(y), DesignToPixels(width), DesignToPixels(height));
}

void UseTemplateFont(QWidget* dialog) {
  QFont font = dialog->font();
  font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), font.family()});
  font.setPixelSize(11);
  dialog->setFont(font);
}

}  // namespace quorvel
