#include "player/rate_codes.h"

#include <gtest/gtest.h>

#include "player/show_hresult_error.h"

namespace {

TEST(RateCodes, ChooseRateMapsCodesToSpeeds) {
  struct Case {
    int requested, current;
    bool backwards;
    int code;
    double speed;
  };
  const Case cases[] = {
      {1, 2, false, 1, 1.0},   {2, 1, false, 2, 2.0},    {4, 1, false, 4, 4.0},
      {-1, 1, false, -2, 0.5}, {-1, -2, false, 1, 1.0},  {-1, 4, false, 1, 1.0},
      {-2, 1, false, -2, 0.5}, {-4, 1, false, -4, 0.25}, {3, 1, false, 1, 1.0},
      {-1, 1, true, -1, -1.0}, {-2, 1, true, -2, -2.0},  {-4, 1, true, -4, -4.0},
      {0, 4, true, 1, 1.0},
  };
  for (const Case& c : cases) {
    const RateChoice choice = ChooseRate(c.requested, c.current, c.backwards);
    EXPECT_EQ(choice.code, c.code) << c.requested << " from " << c.current;
    EXPECT_EQ(choice.speed, c.speed) << c.requested << " from " << c.current;
  }
  // Without reverse play, -1 toggles between x1 and x0.5.
  int code = 1;
  code = ChooseRate(-1, code, false).code;
  EXPECT_EQ(code, -2);
  code = ChooseRate(-1, code, false).code;
  EXPECT_EQ(code, 1);
}

TEST(RateCodes, NextRateCodeFollowsTheFasterAndSlowerRows) {
  struct Case {
    int current;
    bool faster, mediaPlayer, backwards;
    int next;
  };
  const Case cases[] = {
      {1, true, true, false, 2},     {2, true, true, false, 4},     {4, true, true, false, 4},
      {-4, true, true, false, -2},   {-2, true, true, false, 1},    {-2, true, true, true, -1},
      {-1, true, true, false, 1},    {1, false, true, false, -1},   {4, false, true, false, 2},
      {-2, false, true, false, -2},  {-1, false, true, false, -2},  {-4, false, true, false, 1},
      {2, false, true, false, 1},    {-4, false, false, false, -4}, {-2, false, false, false, -4},
      {-1, false, false, false, -2}, {1, false, false, false, -1},  {2, false, false, false, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NextRateCodeFrom(c.current, c.faster, c.mediaPlayer, c.backwards), c.next)
        << c.current << (c.faster ? " faster" : " slower") << (c.mediaPlayer ? "" : " graph");
  }
}

TEST(ShowHResultError, TextsByCode) {
  EXPECT_EQ(HResultErrorText(kResultNotImplemented), "E_NOTIMPL");
  EXPECT_EQ(HResultErrorText(kResultNoInterface), "E_NOINTERFACE");
  EXPECT_EQ(HResultErrorText(kResultPointer), "E_POINTER");
  EXPECT_EQ(HResultErrorText(kResultMissingDecoder),
            QString::fromUtf8("コーデックとスプリッターをインストールしてください。"));
  EXPECT_EQ(HResultErrorText(kResultNotConnected), "VFW_E_NOT_CONNECTED");
  EXPECT_EQ(HResultErrorText(kResultWrongState), "VFW_E_WRONG_STATE");
  EXPECT_EQ(HResultErrorText(kResultOutOfMemory), "E_OUTOFMEMORY");
  EXPECT_EQ(HResultErrorText(kResultInvalidArg), "E_INVALIDARG");
  EXPECT_EQ(HResultErrorText(kResultFail), "Unknown 0x80004005");
  EXPECT_TRUE(ShowHResultError(kResultOk, nullptr));
}

}  // namespace
