#pragma once

class QWidget;

// Whether the web engine can start: its helper program is where the engine
// looks for it.
bool IsWebView2RuntimeInstalled();

// When the web engine cannot start, tells the user that the map will not be
// shown (texts 143 and 144) and returns true once the notice is closed;
// false at once otherwise.
bool ShowWebView2Notice(QWidget* parent);
