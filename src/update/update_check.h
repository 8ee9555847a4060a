#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <memory>
#include <mutex>

// The once-a-run update check. On a thread of its own it fetches the
// firmware and viewer version files from the update server, compares them
// with the recorder's firmware and this viewer's version, and, when either
// is newer, keeps the dialog's link text and posts kMessageUpdateFound to
// its target; the target's thread takes the text and shows the dialog.
// Every failure ends the check silently.
class CUpdateCheck {
 public:
  static constexpr int kMessageUpdateFound = 0x8579;

  CUpdateCheck() = default;
  CUpdateCheck(const CUpdateCheck&) = delete;
  CUpdateCheck& operator=(const CUpdateCheck&) = delete;
  ~CUpdateCheck() { Stop(); }

  // Starts the check the first time it is called with a server (host and
  // optional port; empty means no check); later calls do nothing. False
  // when nothing was started.
  bool Start(QObject* target, const QString& server, const QString& recorderFirmware,
             const QString& viewerVersion);
  // Asks the thread to stop and waits for it.
  void Stop();
  bool started() const { return thread_ != nullptr; }
  // Waits until the check has ended (for tests and shutdown).
  void Wait();

  // The link text of the update found (empty before); taken once.
  QString TakeLinkText();

 private:
  void Run(QObject* target, const QString& server, const QString& recorderFirmware,
           const QString& viewerVersion);

  std::unique_ptr<QThread> thread_;
  std::mutex mutex_;
  QString linkText_;
};
