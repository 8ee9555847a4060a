#pragma once

#include <QImage>
#include <QString>
#include <QTemporaryDir>

// Recorder movie files for the player's tests, made in a temporary folder:
// H.264 + AAC in QuickTime with a 90 kHz video time scale, followed by the
// recorder's sensor atom and closing atom.
struct RecordingSpec {
  double seconds = 3.0;
  int width = 320;
  int height = 180;
  QString fps = "30";  // ffmpeg's rate text ("30", "30000/1001")
  int records = 30;    // sensor records (ten a second)
  bool audio = true;
};

class RecordingFixture {
 public:
  RecordingFixture();
  bool valid() const { return dir_.isValid(); }
  QString dir() const { return dir_.path(); }

  // Writes a recording named `name`; returns its path, or an empty string
  // when the encoder failed.
  QString Make(const QString& name, const RecordingSpec& spec);
  // Picture `index` (0 = the first) of the file, decoded by ffmpeg.
  static QImage Frame(const QString& path, int index);

 private:
  QTemporaryDir dir_;
};

// Peak signal-to-noise ratio of two pictures of one size, in dB (grey
// levels); 0 when the sizes differ.
double Psnr(const QImage& a, const QImage& b);

// Runs a program to its end; true when it exits with 0.
bool RunProgram(const QString& program, const QStringList& arguments, int timeoutMs = 120000);
