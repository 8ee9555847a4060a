#include "base/display_choices.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "base/browse_for_folder.h"
#include "base/error_box.h"
#include "base/qt_translations.h"
#include "base/settings_file.h"
#include "scoped_work_folder.h"

namespace {

TEST(DisplayChoices, LanguageFromTheFileTheCommandLineAndTheLocale) {
  struct Case {
    const char* file;  // "DISPLAY"/"LANGUAGE"; nullptr: absent
    std::optional<UiLanguageChoice> commandLine;
    const char* locale;
    int language;
  };
  const Case cases[] = {
      {nullptr, std::nullopt, "ja_JP", 0},
      {nullptr, std::nullopt, "en_US", 1},
      {"auto", std::nullopt, "en_US", 1},
      {"auto", std::nullopt, "de_DE", 0},
      {"ja", std::nullopt, "en_US", 0},
      {"en", std::nullopt, "ja_JP", kEnglishUiLanguage},
      {" en ", std::nullopt, "ja_JP", kEnglishUiLanguage},
      {"EN", std::nullopt, "en_US", 1},
      {"fr", std::nullopt, "ja_JP", 0},
      {"", std::nullopt, "en_US", 1},
      {"ja", UiLanguageChoice::kEnglish, "ja_JP", kEnglishUiLanguage},
      {"en", UiLanguageChoice::kJapanese, "en_US", 0},
      {nullptr, UiLanguageChoice::kEnglish, "C", kEnglishUiLanguage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file ? c.file : "(absent)") + " " + c.locale);
    ScopedWorkFolder folder;
    if (c.file != nullptr) {
      ASSERT_TRUE(WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("LANGUAGE"),
                                 QString::fromLatin1(c.file)));
    }
    TakeDisplayChoices(c.commandLine, QLocale(QString::fromLatin1(c.locale)));
    EXPECT_EQ(uiLanguage(), c.language);
    // The file is only read: an unknown value stays as the user wrote it.
    EXPECT_EQ(ReadIniString(QStringLiteral("DISPLAY"), QStringLiteral("LANGUAGE")),
              QString::fromLatin1(c.file ? c.file : "").trimmed());
  }
  for (const auto& [text, choice] :
       {std::pair{"auto", UiLanguageChoice::kAuto}, std::pair{"ja", UiLanguageChoice::kJapanese},
        std::pair{"en", UiLanguageChoice::kEnglish}}) {
    EXPECT_EQ(UiLanguageChoiceFromText(QString::fromLatin1(text)), choice);
    EXPECT_EQ(UiLanguageChoiceText(choice), QString::fromLatin1(text));
  }
  EXPECT_EQ(UiLanguageChoiceFromText(QStringLiteral("english")), std::nullopt);
  TakeDisplayChoices(UiLanguageChoice::kAuto, QLocale(QStringLiteral("ja_JP")));
}

TEST(DisplayChoices, SpeedUnitFromTheFile) {
  struct Case {
    const char* file;  // "DISPLAY"/"SPEED_UNIT"; nullptr: absent
    SpeedUnit unit;
  };
  const Case cases[] = {{nullptr, SpeedUnit::kKmh}, {"kmh", SpeedUnit::kKmh},
                        {"mph", SpeedUnit::kMph},   {" mph", SpeedUnit::kMph},
                        {"MPH", SpeedUnit::kKmh},   {"knots", SpeedUnit::kKmh}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file ? c.file : "(absent)");
    ScopedWorkFolder folder;
    if (c.file != nullptr) {
      ASSERT_TRUE(WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("SPEED_UNIT"),
                                 QString::fromLatin1(c.file)));
    }
    ChooseSpeedUnit(c.unit == SpeedUnit::kKmh ? SpeedUnit::kMph : SpeedUnit::kKmh);
    TakeDisplayChoices(std::nullopt, QLocale(QStringLiteral("ja_JP")));
    EXPECT_EQ(shownSpeedUnit(), c.unit);
    EXPECT_EQ(ReadIniString(QStringLiteral("DISPLAY"), QStringLiteral("SPEED_UNIT")),
              QString::fromLatin1(c.file ? c.file : "").trimmed());
  }
  ScopedWorkFolder folder;
  ASSERT_TRUE(WriteSpeedUnit(SpeedUnit::kMph));
  EXPECT_EQ(ReadIniString(QStringLiteral("DISPLAY"), QStringLiteral("SPEED_UNIT")), u"mph");
  ASSERT_TRUE(WriteLanguageChoice(UiLanguageChoice::kEnglish));
  EXPECT_EQ(ReadIniString(QStringLiteral("DISPLAY"), QStringLiteral("LANGUAGE")), u"en");
  ChooseSpeedUnit(SpeedUnit::kKmh);
}

// Runs `open` (which shows a modal window and waits) and reads, from the
// modal window it shows, the text of its Cancel button; then cancels it.
QString CancelTextOf(const std::function<void()>& open) {
  QString text = QStringLiteral("(no window)");
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [&text, timer] {
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr) return;
    timer->stop();
    timer->deleteLater();
    QAbstractButton* cancel = nullptr;
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
      cancel = box->button(QMessageBox::Cancel);
    } else if (auto* buttons = window->findChild<QDialogButtonBox*>()) {
      cancel = buttons->button(QDialogButtonBox::Cancel);
    }
    text = cancel != nullptr ? cancel->text() : QStringLiteral("(no Cancel button)");
    if (auto* dialog = qobject_cast<QDialog*>(window)) dialog->reject();
  });
  timer->start(10);
  open();
  return text;
}

// Run in a child process under a chosen LANG: the viewer's message box and
// folder picker read Qt's "Cancel" in the viewer's wording, whatever the
// locale.
TEST(DisplayChoices, QtDialogsSpeakTheViewersLanguageWhateverTheLocale) {
  if (qEnvironmentVariableIsSet("KESTREL_QT_DIALOG_CHILD")) {
    ScopedWorkFolder folder;
    struct Case {
      UiLanguageChoice choice;
      const char* cancel;
    };
    // Under LANG=C and ja_JP alike "auto" gives wording 0.
    for (const Case& c : {Case{UiLanguageChoice::kJapanese, "キャンセル"},
                          Case{UiLanguageChoice::kAuto, "キャンセル"},
                          Case{UiLanguageChoice::kEnglish, "Cancel"}}) {
      SCOPED_TRACE(UiLanguageChoiceText(c.choice).toStdString());
      TakeDisplayChoices(c.choice, QLocale::system());
      const QString expected = QString::fromUtf8(c.cancel);
      EXPECT_EQ(CancelTextOf([] { AskOkCancel(nullptr, UiText(93), UiText(106)); }), expected);
      EXPECT_EQ(CancelTextOf([] {
                  BrowseForFolder(nullptr, QStringLiteral("FOLDERPATH"),
                                  QStringLiteral("CSV_FOLDER"), UiText(103));
                }),
                expected);
    }
    // Without Qt's translation files Qt keeps its English, and nothing fails.
    const QTemporaryDir empty;
    EXPECT_FALSE(InstallQtTranslations(0, empty.path()));
    EXPECT_EQ(CancelTextOf([] { AskOkCancel(nullptr, UiText(93), UiText(106)); }), u"Cancel");
    return;
  }
  for (const char* lang : {"C", "ja_JP.UTF-8"}) {
    SCOPED_TRACE(lang);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.remove(QStringLiteral("LANGUAGE"));
    env.insert(QStringLiteral("LANG"), QString::fromLatin1(lang));
    env.insert(QStringLiteral("KESTREL_QT_DIALOG_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=DisplayChoices."
                                "QtDialogsSpeakTheViewersLanguageWhateverTheLocale")});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
  }
}

}  // namespace
