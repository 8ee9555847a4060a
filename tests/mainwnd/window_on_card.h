#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "base/shared_fonts.h"
#include "card_source.h"
#include "mainwnd/kestrel_dlg.h"
#include "scoped_work_folder.h"

// A fresh main window, shown, for every test of a suite that shares one
// generated card of `kFiles` recordings of `kSeconds` each.
template <int kFiles, int kSeconds>
class WindowOnCard : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { card_ = new CardSource(kFiles, kSeconds); }
  static void TearDownTestSuite() {
    delete card_;
    card_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(card_->ok()) << card_->error();
    dlg_ = std::make_unique<CKestrelDlg>();
    dlg_->show();
  }
  void TearDown() override {
    dlg_.reset();
    DeleteSharedFonts();
  }

  static inline CardSource* card_ = nullptr;
  ScopedWorkFolder work_;
  std::unique_ptr<CKestrelDlg> dlg_;
};
