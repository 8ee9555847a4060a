#include "recording_fixture.h"

#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <cmath>

namespace {

QByteArray Atom(const char* name, const QByteArray& content) {
  QByteArray atom(4, '\0');
  qToBigEndian<quint32>(static_cast<quint32>(8 + content.size()), atom.data());
  return atom + QByteArray(name, 4) + content;
}

// The recorder's sensor atom with `records` blank records (fix not valid).
QByteArray SensorAtom(int records) {
  QByteArray content = "CSMDAT";
  content += QByteArray("1000100010001000D010203H0 ", 26);
  QByteArray count(2, '\0');
  qToBigEndian<quint16>(static_cast<quint16>(records), count.data());
  content += count;
  for (int i = 0; i < records; ++i) {
    QByteArray record(124, ' ');
    record[5] = 'V';
    content += record;
  }
  content += "CSMEND";
  return Atom("udat", content);
}

}  // namespace

bool RunProgram(const QString& program, const QStringList& arguments, int timeoutMs) {
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process.start(program, arguments);
  return process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit &&
         process.exitCode() == 0;
}

RecordingFixture::RecordingFixture() = default;

QString RecordingFixture::Make(const QString& name, const RecordingSpec& spec) {
  const QString movie = dir_.filePath(name + ".enc.mov");
  QStringList args{"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                   QString("testsrc2=size=%1x%2:rate=%3").arg(spec.width).arg(spec.height).arg(spec.fps)};
  if (spec.audio) args << "-f" << "lavfi" << "-i" << "sine=frequency=440:sample_rate=48000";
  args << "-t" << QString::number(spec.seconds) << "-c:v" << "libx264" << "-preset" << "veryfast"
       << "-g" << "30" << "-pix_fmt" << "yuv420p";
  if (spec.audio) args << "-c:a" << "aac";
  args << "-video_track_timescale" << "90000" << "-f" << "mov" << movie;
  if (!RunProgram("ffmpeg", args)) return {};
  QFile in(movie);
  if (!in.open(QIODevice::ReadOnly)) return {};
  QByteArray bytes = in.readAll();
  in.close();
  QFile::remove(movie);
  bytes += SensorAtom(spec.records);
  bytes += Atom("free", QByteArray(4, '\0'));
  const QString path = dir_.filePath(name + ".MOV");
  QFile out(path);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) return {};
  return path;
}

QImage RecordingFixture::Frame(const QString& path, int index) {
  const QString png = path + QString(".%1.png").arg(index);
  if (!RunProgram("ffmpeg", {"-loglevel", "error", "-y", "-i", path, "-vf",
                             QString("select=eq(n\\,%1)").arg(index), "-frames:v", "1", png})) {
    return {};
  }
  QImage image(png);
  QFile::remove(png);
  return image;
}

double Psnr(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 0.0;
  const QImage ga = a.convertToFormat(QImage::Format_Grayscale8);
  const QImage gb = b.convertToFormat(QImage::Format_Grayscale8);
  double sum = 0.0;
  for (int y = 0; y < ga.height(); ++y) {
    const uchar* la = ga.constScanLine(y);
    const uchar* lb = gb.constScanLine(y);
    for (int x = 0; x < ga.width(); ++x) {
      const double d = static_cast<double>(la[x]) - lb[x];
      sum += d * d;
    }
  }
  const double mse = sum / (static_cast<double>(ga.width()) * ga.height());
  return mse == 0.0 ? 100.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}
