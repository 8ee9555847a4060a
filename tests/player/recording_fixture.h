#pragma once

#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "mkcard/card_plan.h"

// A memory card of recorder files written by the sample generator into a
// temporary folder, with the generator's plan of what each file holds.
class GeneratedCard {
 public:
  explicit GeneratedCard(const mkcard::CardOptions& options);
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  QString dir() const { return dir_.path(); }
  // Path of file `index` in card order.
  QString Path(std::size_t index) const;
  const mkcard::RecordingPlan& Plan(std::size_t index) const { return plan_.at(index); }

 private:
  QTemporaryDir dir_;
  std::vector<mkcard::RecordingPlan> plan_;
  std::string error_;
};

// Card options for `files` small recordings of `seconds` seconds.
mkcard::CardOptions SmallCard(int files, int seconds);

// The frame number the generator drew into the picture's barcode strip; -1
// when the strip cannot be read.
int FrameNumberOf(const QImage& picture);
