#include "base/child_rect.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

TEST(GetChildRect, GivesThePlaceRelativeToTheParentWindow) {
  QWidget window(nullptr, Qt::FramelessWindowHint);
  window.setGeometry(100, 50, 400, 300);
  QWidget panel(&window);
  panel.setGeometry(10, 20, 200, 150);
  QWidget button(&panel);
  button.setGeometry(5, 6, 30, 18);
  window.show();

  EXPECT_EQ(GetChildRect(&window, &panel), QRect(10, 20, 200, 150));
  EXPECT_EQ(GetChildRect(&window, &button), QRect(15, 26, 30, 18));
  EXPECT_EQ(GetChildRect(&panel, &button), QRect(5, 6, 30, 18));
  window.move(300, 200);
  EXPECT_EQ(GetChildRect(&window, &button), QRect(15, 26, 30, 18));
}

}  // namespace
