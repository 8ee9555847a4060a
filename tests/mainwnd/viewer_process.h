#pragma once

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

// The viewer program run as a process of its own, in a working folder of the
// test's, with the web engine's sandbox off (tests run as root) unless
// `sandboxOff` is false.
class ViewerProcess {
 public:
  ViewerProcess(const QString& program, const QStringList& arguments, const QString& workFolder,
                const QString& platform = QStringLiteral("offscreen"), bool sandboxOff = true) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    environment.remove(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"));
    if (sandboxOff) {
      environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    } else {
      environment.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    }
    process_.setProcessEnvironment(environment);
    process_.setWorkingDirectory(workFolder);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(program, arguments);
    settings_ = workFolder + QStringLiteral("/Default_Folder.ini");
  }
  ~ViewerProcess() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }

  // Waits until the window has started up (its settings file is written
  // during the window's start-up) and `settleMs` more.
  bool WaitStarted(int timeoutMs, int settleMs) {
    if (!process_.waitForStarted(timeoutMs)) return false;
    if (!QTest::qWaitFor([&] { return QFileInfo::exists(settings_) || !Running(); }, timeoutMs)) {
      return false;
    }
    QTest::qWait(settleMs);
    return Running();
  }
  bool Running() const { return process_.state() == QProcess::Running; }
  qint64 pid() const { return process_.processId(); }
  // Milliseconds from `since` (started before the test asked the viewer to
  // end) until the process ended; -1 when it had not ended after `timeoutMs`.
  qint64 MsToExit(const QElapsedTimer& since, int timeoutMs) {
    if (!QTest::qWaitFor([&] { return !Running(); }, timeoutMs)) return -1;
    return since.elapsed();
  }
  bool ExitedCleanly() const {
    return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
  }

 private:
  QProcess process_;
  QString settings_;
};
