#include "update/version_rules.h"

#include <gtest/gtest.h>

namespace {

const UpdateMessageTexts kTexts{"INTRO", "CUR:", "FIRMWARE", "NEW:", "VIEWER"};

TEST(VersionRules, VersionFileText) {
  struct Case {
    std::string text;
    std::optional<std::string> version;
  };
  const Case cases[] = {
      {"VER:1.2.3.4", "1.2.3.4"},
      {"VER:2.0.0.0\r\n", "2.0.0.0"},
      {"model HX\r\nVER:2.0.0.0 \t\r\n\r\n", "2.0.0.0"},
      {"VER:1.0 beta\n", "1.0 beta"},
      {"VER:1.0VER:2.0", "1.0VER:2.0"},
      {"version 1.2.3", std::nullopt},
      {"", std::nullopt},
      {"VER:\r\n", std::nullopt},
      {std::string(1021, ' ') + "VER:1.2", std::nullopt},  // the marker ends past 1024 bytes
      {std::string(1019, ' ') + "VER:1.2", "1"},
      {"VER:" + std::string(400, '9'), std::string(259, '9')},
      {"VER:" + std::string(300, 'a') + "\r\n", std::string(259, 'a')},
      // Cut by characters, never inside one.
      {"VER:" + std::string(258, '1') + "版本", std::string(258, '1') + "版"},
      {std::string("VER:1.2\0garbage", 15), "1.2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VersionFromFileText(c.text), c.version) << c.text.substr(0, 40);
  }
}

TEST(VersionRules, ComparisonAndShortening) {
  EXPECT_EQ(ShortenFirmwareVersion("1.2.3.4"), "1.2.3");
  EXPECT_EQ(ShortenFirmwareVersion("1.2.3.4.5"), "1.2.3");
  EXPECT_EQ(ShortenFirmwareVersion("1.2.3"), "1.2.3");
  EXPECT_EQ(ShortenFirmwareVersion("..."), "..");
  EXPECT_EQ(ShortenFirmwareVersion(""), "");

  struct Case {
    std::string recorder, firmware, viewer;
    bool firmwareUpdate, viewerUpdate;
    std::string current, next;
  };
  const Case cases[] = {
      {"1.2.3", "1.2.3.4", "2.0.0.0", false, false, "1.2.3", "1.2.3"},
      {"1.2.3", "1.2.4", "2.0.0.0", true, false, "1.2.3.0", "1.2.4.0"},
      {"", "9.9.9", "2.0.0.0", false, false, "", "9.9.9"},
      {"", "9.9.9", "2.0.0.1", false, true, "", "9.9.9"},
      {"1.2.3", "1.3.0", "2.1.0.0", true, true, "1.2.3.0", "1.3.0.0"},
      {"1.2.3", "1.2.3", "2.0.0", false, true, "1.2.3", "1.2.3"},
  };
  for (const Case& c : cases) {
    const UpdateFindings f = CompareVersions(c.recorder, c.firmware, c.viewer, "2.0.0.0");
    EXPECT_EQ(f.firmwareUpdate, c.firmwareUpdate) << c.recorder << ' ' << c.firmware;
    EXPECT_EQ(f.viewerUpdate, c.viewerUpdate) << c.viewer;
    EXPECT_EQ(f.currentFirmware, c.current);
    EXPECT_EQ(f.newFirmware, c.next);
    EXPECT_EQ(f.currentViewer, "2.0.0.0");
    EXPECT_EQ(f.newViewer, c.viewer);
  }
}

TEST(VersionRules, MessageFormatsWithEscapedVersions) {
  const std::string fwPage = "http://h.example:8080/taiou/dr_updata/hx-tq80_81/hx-tq80_81.html";
  const std::string viewerPage = "http://h.example:8080/0_recorder/viewer/hx-tq80_81/viewer.html";
  struct Case {
    UpdateFindings findings;
    std::string message;
  };
  const Case cases[] = {
      {{false, false, "1.2.3", "1.2.3", "2.0.0.0", "2.0.0.0"}, ""},
      {{true, false, "1.2.3.0", "1.2.4.0", "2.0.0.0", "2.0.0.0"},
       "INTRO\r\n\r\nFIRMWARE:\r\nCUR:1.2.3.0   →   NEW:1.2.4.0\r\n\r\nURL : <a href=\"" + fwPage +
           "\">" + fwPage + "</a>"},
      {{false, true, "", "1.2.3", "2.0.0.0", "2.1.0.0"},
       "INTRO\r\n\r\nVIEWER:\r\nCUR:2.0.0.0   →   NEW:2.1.0.0\r\n\r\nURL : <a href=\"" +
           viewerPage + "\">" + viewerPage + "</a>"},
      {{true, true, "1.2.3.0", "1.3.0.0", "2.0.0.0", "2.1.0.0"},
       "INTRO\r\n\r\nFIRMWARE:\r\nCUR:1.2.3.0   →   NEW:1.3.0.0\r\n\r\nURL : <a href=\"" + fwPage +
           "\">" + fwPage + "</a>\r\n\r\n\r\nVIEWER:\r\nCUR:2.0.0.0   →   NEW:2.1.0.0" +
           "\r\n\r\nURL : <a href=\"" + viewerPage + "\">" + viewerPage + "</a>\r\n"},
      {{false, true, "", "", "2.0.0.0", "<a href=\"file:///etc\">x</a>&"},
       "INTRO\r\n\r\nVIEWER:\r\nCUR:2.0.0.0   →   NEW:&lt;a href=&quot;file:///etc&quot;&gt;x"
       "&lt;/a&gt;&amp;\r\n\r\nURL : <a href=\"" +
           viewerPage + "\">" + viewerPage + "</a>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UpdateMessage(c.findings, kTexts, "h.example:8080"), c.message);
  }
}

TEST(VersionRules, OnlyWebLinksOpen) {
  struct Case {
    std::string url;
    bool openable;
  };
  const Case cases[] = {
      {"http://h/x.html", true},      {"HTTPS://h/x", true},    {"file:///etc/passwd", false},
      {"javascript:alert(1)", false}, {"http:relative", false}, {"", false},
      {"ftp://h/x", false},           {"/taiou/x.html", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsOpenableLink(c.url), c.openable) << c.url;
}

}  // namespace
