#include "app/command_line.h"

#include "base/viewer_version.h"

namespace {

const QString kUsage =
    QStringLiteral("usage: kestrel [--version] [--help] [--lang en|ja] [FILE.MOV | FOLDER]\n");

ViewerCommandLine Print(const QString& text, int exitCode) {
  ViewerCommandLine line;
  line.printOnly = true;
  line.exitCode = exitCode;
  line.text = text;
  return line;
}

}  // namespace

ViewerCommandLine ParseViewerCommandLine(const QStringList& arguments) {
  ViewerCommandLine line;
  bool pathsOnly = false;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (!pathsOnly && (argument == QLatin1String("--version") || argument == QLatin1String("-v"))) {
      return Print(QStringLiteral("kestrel %1\n").arg(QLatin1String(kViewerVersion)), 0);
    }
    if (!pathsOnly && (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
      return Print(
          kUsage + QStringLiteral(
                       "Plays the recordings of a drive recorder with their sensor track.\n"
                       "\n"
                       "  FILE.MOV   opens one recording as the source\n"
                       "  FOLDER     opens a folder, or a memory card's DCIM folder, as the "
                       "source\n"
                       "  --lang en|ja\n"
                       "             shows the viewer in English or Japanese for this run,\n"
                       "             whatever the settings file and the locale say\n"
                       "  --version  prints the version\n"
                       "  --help     prints this help\n"
                       "\n"
                       "The settings file Default_Folder.ini is kept in the working folder;\n"
                       "the installed launcher starts the viewer in $XDG_CONFIG_HOME/kestrel.\n"),
          0);
    }
    const QString langOption = QStringLiteral("--lang");
    if (!pathsOnly && (argument == langOption || argument.startsWith(langOption + u'='))) {
      QString value = argument.mid(langOption.size() + 1);
      if (argument == langOption) value = i + 1 < arguments.size() ? arguments[++i] : QString();
      line.language = UiLanguageChoiceFromText(value);
      if (!line.language || *line.language == UiLanguageChoice::kAuto) {
        return Print(QStringLiteral("kestrel: --lang takes en or ja\n") + kUsage, 2);
      }
      continue;
    }
    if (!pathsOnly && argument == QLatin1String("--")) {
      pathsOnly = true;
    } else if (!pathsOnly && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
      return Print(QStringLiteral("kestrel: unknown option %1\n").arg(argument) + kUsage, 2);
    } else if (!line.source.isEmpty()) {
      return Print(QStringLiteral("kestrel: one source only\n") + kUsage, 2);
    } else {
      line.source = argument;
    }
  }
  return line;
}
