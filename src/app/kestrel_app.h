#pragma once

// The viewer's application object: runs the main window and tears the
// process's shared state down after it.
class CKestrelApp {
 public:
  // Runs the main window as a modal dialog until it closes, then frees the
  // shared fonts and the window.
  void Run();
};
