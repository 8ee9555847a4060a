#include "catalogue/csv_line.h"

#include <gtest/gtest.h>

#include "catalogue/locale_text.h"

namespace {

std::tm Time(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(CsvLine, Columns) {
  struct Case {
    const char* name;
    CsvDetails details;
    const char* line;
  };
  const Case cases[] = {
      {"0405060708_G.MOV",
       {Time(2023, 4, 5, 6, 7, 8), 1080, 1800, 30.0, 'H', 75497472},
       "0405060708_G.MOV,2023/04/05,06:07:08,00:01:00,衝撃,FHD,高画質,30fps,72MB\r\n"},
      {"0405060708_S.MOV",
       {Time(2023, 4, 5, 6, 7, 8), 960, 1800, 30.0, 'H', 1048575},
       "0405060708_S.MOV,2023/04/05,06:07:08,00:01:00,駐車衝撃,,,30fps,0MB\r\n"},
      {"0405060708_A.MOV",
       {std::nullopt, 360, 5400, 30.0, 'N', 1048576},
       "0405060708_A.MOV,--/--/--,--:--:--,00:03:00,常時,SD,低画質,30fps,1MB\r\n"},
      {"0405060708_P.MO",  // fifteen characters: no trigger column
       {Time(2023, 12, 31, 23, 59, 59), 720, 113886, 90000.0 / 3003, 0, 0},
       "0405060708_P.MO,2023/12/31,23:59:59,01:03:19,,HD,低画質,30fps,0MB\r\n"},
      {"NOTRIGGER.MOV",
       {Time(2023, 1, 1, 0, 0, 0), 1080, 100, 0.0, 'H', 0},
       "NOTRIGGER.MOV,2023/01/01,00:00:00,00:00:00,,FHD,高画質,0fps,0MB\r\n"},
      {"04,05\"06\r\n_G.MOV",  // renamed by hand: quoted, its quote doubled
       {std::nullopt, 1080, 0, 30.0, 'H', 0},
       "\"04,05\"\"06\r\n_G.MOV\",--/--/--,--:--:--,00:00:00,衝撃,FHD,高画質,30fps,0MB\r\n"},
      {"0405\t60708_G.MOV",  // a tab needs no quotes
       {std::nullopt, 1080, 0, 30.0, 'H', 0},
       "0405\t60708_G.MOV,--/--/--,--:--:--,00:00:00,衝撃,FHD,高画質,30fps,0MB\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvRecordingLine(c.name, c.details), c.line) << c.name;
  EXPECT_EQ(CsvPlaceholderLine("X.MOV"), "X.MOV,-,-,-,-,-,-,fps,0MB\r\n");
  EXPECT_EQ(CsvPlaceholderLine("a,\"b\".MOV"), "\"a,\"\"b\"\".MOV\",-,-,-,-,-,-,fps,0MB\r\n");
  EXPECT_EQ(CsvHeaderLine(),
            "ファイル名,日付,開始時刻,録画時間,録画トリガー,録画サイズ,画質,フレームレート,"
            "データサイズ\r\n");
}

TEST(LocaleText, ConvertsToTheLocaleCharset) {
  EXPECT_EQ(ConvertText("ファイル名", "CP932"),
            std::string("\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC"));
  EXPECT_EQ(ConvertText("ファイル名", "UTF-8"), std::string("ファイル名"));
  EXPECT_EQ(ConvertText("衝撃", "ASCII"), std::nullopt);
  EXPECT_EQ(ConvertText("x", "NO-SUCH-CHARSET"), std::nullopt);
}

}  // namespace
