#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>

#include "fake_surface_owner.h"
#include "player/movie_static.h"
#include "player/player.h"
#include "player/player_engine_ops.h"
#include "recording_fixture.h"

// The real engine on a 320 x 180 video surface inside `Window`, with sound
// going to a fake sink in real time.
template <class Window = QWidget>
class EngineFixture : public ::testing::Test {
 protected:
  static constexpr int kOpenTimeout = 20000;

  void SetUp() override {
    CPlayer::SetAudioSinkDescription("fakesink sync=true");
    surface_ = new CMovieStatic(&window_);
    surface_->setGeometry(0, 0, 320, 180);
    surface_->setOwner(&owner_);
    window_.resize(400, 300);
    window_.show();
    ops_ = MakePlayerEngineOps();
    ASSERT_TRUE(ops_.EngineInit(&state_, surface_, QString::fromUtf8("メイリオ")));
    state_.engineReady = 1;
  }
  void TearDown() override {
    ops_.CloseMovie(&state_);
    ops_.EngineShutdown(&state_);
    CPlayer::SetAudioSinkDescription("");
  }

  // Opens `path` and waits for the surface to hand its ready message on.
  bool OpenReady(const QString& path) {
    const int before = owner_.opened;
    if (!ops_.OpenMovie(&state_, path)) return false;
    return WaitUntil([&] { return owner_.opened > before; }, kOpenTimeout);
  }

  Window window_;
  CMovieStatic* surface_ = nullptr;
  FakeOwner owner_;
  PlayerEngineOps ops_{};
  PlayerEngineState state_;
};
