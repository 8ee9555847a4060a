#pragma once

#include <QProcessEnvironment>
#include <QStringList>

class QWidget;

// Whether the web engine will refuse to start because of its sandbox: run
// by root (`euid` 0), the engine ends the process unless its sandbox is
// switched off: QTWEBENGINE_DISABLE_SANDBOX set, or --no-sandbox among the
// engine's arguments (QTWEBENGINE_CHROMIUM_FLAGS when set, else the
// program's arguments after --webEngineArgs). The viewer never switches it
// off; it runs without the map instead.
bool SandboxRefusesToStart(unsigned euid, const QProcessEnvironment& environment,
                           const QStringList& arguments);

// Whether the web engine can start: its helper program is where the engine
// looks for it, and its sandbox does not refuse this process.
bool IsWebView2RuntimeInstalled();

// When the web engine cannot start, tells the user that the map will not be
// shown (texts 143 and 144) and returns true once the notice is closed;
// false at once otherwise.
bool ShowWebView2Notice(QWidget* parent);
