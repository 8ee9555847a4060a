#include "controls/skin_slider_accessible.h"

#include "controls/skin_slider_ctrl.h"

namespace {

QAccessibleInterface* SkinSliderFactory(const QString& className, QObject* object) {
  auto* slider = qobject_cast<CSkinSliderCtrl*>(object);
  if (slider == nullptr || className != QLatin1String("CSkinSliderCtrl")) return nullptr;
  return new SkinSliderAccessible(slider);
}

}  // namespace

SkinSliderAccessible::SkinSliderAccessible(CSkinSliderCtrl* slider)
    : QAccessibleWidget(slider, QAccessible::Slider) {}

void* SkinSliderAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

const CSkinSliderCtrl* SkinSliderAccessible::slider() const {
  return static_cast<const CSkinSliderCtrl*>(widget());
}

QVariant SkinSliderAccessible::currentValue() const { return slider()->pos(); }

void SkinSliderAccessible::setCurrentValue(const QVariant& /*value*/) {}

QVariant SkinSliderAccessible::maximumValue() const { return slider()->rangeMax(); }

QVariant SkinSliderAccessible::minimumValue() const { return slider()->rangeMin(); }

QVariant SkinSliderAccessible::minimumStepSize() const { return 1; }

void SkinSliderAccessible::InstallFactory() {
  static const bool installed = [] {
    QAccessible::installFactory(SkinSliderFactory);
    return true;
  }();
  (void)installed;
}
