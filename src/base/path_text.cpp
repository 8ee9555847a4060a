#include "base/path_text.h"

#include <string>
#include <string_view>

#include "catalogue/utf8_text.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

}  // namespace

QString PathText(const std::filesystem::path& path) {
  const std::string_view bytes = path.native();
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (std::size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    std::size_t length = c < 0x80 ? 1 : Utf8SequenceLength(bytes, i);
    if (length == 0) {
      text.append(QChar(static_cast<char16_t>(kEscapeBase + c)));
      length = 1;
    } else {
      text.append(QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(length)));
    }
    i += length;
  }
  return text;
}

std::filesystem::path PathOf(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  qsizetype run = 0;  // where the text not yet written starts
  const auto flush = [&](qsizetype end) {
    bytes += QStringView(text).mid(run, end - run).toUtf8().toStdString();
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    const bool paired = text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate();
    if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF && !paired) {
      flush(i);
      bytes.push_back(static_cast<char>(unit - kEscapeBase));
      run = i + 1;
    }
  }
  flush(text.size());
  return std::filesystem::path(std::move(bytes));
}
