#pragma once

#include <QAccessibleWidget>

class CSkinSliderCtrl;

// What assistive technology reads of a skinned slider: a slider with its
// range and thumb position. The position changes only through the window's
// own seek and volume paths, so the value is read-only here.
class SkinSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit SkinSliderAccessible(CSkinSliderCtrl* slider);

  void* interface_cast(QAccessible::InterfaceType type) override;
  QVariant currentValue() const override;
  void setCurrentValue(const QVariant& value) override;
  QVariant maximumValue() const override;
  QVariant minimumValue() const override;
  QVariant minimumStepSize() const override;

  // Makes Qt's accessibility use this interface for every skinned slider.
  static void InstallFactory();

 private:
  const CSkinSliderCtrl* slider() const;
};
