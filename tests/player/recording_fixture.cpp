#include "recording_fixture.h"

#include "mkcard/card_writer.h"
#include "mkcard/frame_barcode.h"

GeneratedCard::GeneratedCard(const mkcard::CardOptions& options) {
  if (!dir_.isValid()) {
    error_ = "no temporary folder";
    return;
  }
  plan_ = mkcard::PlanCard(options);
  error_ = mkcard::WriteCard(options, dir_.path().toStdString());
}

QString GeneratedCard::Path(std::size_t index) const {
  return dir_.filePath(QString::fromStdString(plan_.at(index).path));
}

mkcard::CardOptions SmallCard(int files, int seconds) {
  mkcard::CardOptions options;
  options.folders = 1;
  options.files = files;
  options.seconds = seconds;
  options.width = 320;
  options.height = 180;
  return options;
}

int FrameNumberOf(const QImage& picture) {
  if (picture.isNull()) return -1;
  const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
  const auto code = mkcard::ReadFrameBarcode(grey.constBits(), grey.width(), grey.height(),
                                             static_cast<int>(grey.bytesPerLine()));
  return code ? code->frame : -1;
}
