#pragma once

#include <QString>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "mkcard/card_plan.h"
#include "mkcard/card_writer.h"

// A memory card written by the sample generator into a temporary folder,
// with the generator's plan of every file.
class CardSource {
 public:
  CardSource(int files, int seconds, int folders = 1) {
    options_.folders = folders;
    options_.files = files;
    options_.seconds = seconds;
    options_.width = 320;
    options_.height = 180;
    plan_ = mkcard::PlanCard(options_);
    error_ = dir_.isValid() ? mkcard::WriteCard(options_, dir_.path().toStdString())
                            : std::string("no temporary folder");
  }

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  QString root() const { return dir_.path(); }
  QString dcim() const { return dir_.filePath(QStringLiteral("DCIM")); }
  QString Path(std::size_t index) const {
    return dir_.filePath(QString::fromStdString(plan_.at(index).path));
  }
  const mkcard::RecordingPlan& Plan(std::size_t index) const { return plan_.at(index); }

 private:
  QTemporaryDir dir_;
  mkcard::CardOptions options_;
  std::vector<mkcard::RecordingPlan> plan_;
  std::string error_;
};
