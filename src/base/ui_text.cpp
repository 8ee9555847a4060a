#include "base/ui_text.h"

#include <array>
#include <utility>

#include "base/ui_text_english.h"

namespace {

// Wording 0, slot by slot.
// clang-format off
constexpr std::array<const char16_t*, kUiTextUsedSlots> kWording0 = {
    u"閉じる",  // 0
    u"動画",  // 1
    u"CSV",  // 2
    u"削除",  // 3
    u"早送り",  // 4
    u"回転 180°",  // 5
    u"コマ送り",  // 6
    u"大",  // 7
    u"中",  // 8
    u"次",  // 9
    u"参照",  // 10
    u"一時停止",  // 11
    u"再生",  // 12
    u"前",  // 13
    u"ビデオリペア",  // 14
    u"セーブ",  // 15
    u"設定",  // 16
    u"スロー",  // 17
    u"小",  // 18
    u"静止画",  // 19
    u"先頭",  // 20
    u"拡大",  // 21
    u"緊急",  // 22
    u"ファイルNo.",  // 23
    u"衝撃",  // 24
    u"衝撃＋マニュアル",  // 25
    u"常時",  // 26
    u"マニュアル",  // 27
    u"駐車",  // 28
    u"衝撃",  // 29
    u"マニュアル",  // 30
    u"録画トリガー",  // 31
    u"データサイズ",  // 32
    u"日付,",  // 33
    u"ファイル名,",  // 34
    u"ファイルNo.,",  // 35
    u"フレームレート,",  // 36
    u"%d個",  // 37
    u"画質,",  // 38
    u"録画サイズ,",  // 39
    u"録画時間,",  // 40
    u"開始時刻,",  // 41
    u"録画トリガー,",  // 42
    u"バックアップ",  // 43
    u"動画連結",  // 44
    u"次へ",  // 45
    u"日付",  // 46
    u"削除",  // 47
    u"完了しました。",  // 48
    u"終了",  // 49
    u"ファイル名",  // 50
    u"ファイルサイズ",  // 51
    u"ID",  // 52
    u"保存",  // 53
    u"全選択",  // 54
    u"表示された全てを選択",  // 55
    u"全てのファイルを表示",  // 56
    u"終了時刻",  // 57
    u"開始時刻",  // 58
    u"高画質",  // 59
    u"低画質",  // 60
    u"再生速度x2.0",  // 61
    u"再生速度x4.0",  // 62
    u"再生速度x0.5",  // 63
    u"再生速度x0.25",  // 64
    u"前後(X軸)",  // 65
    u"左右(Y軸)",  // 66
    u"上下(Z軸)",  // 67
    u"ドライブサポート　急加速",  // 68
    u"ドライブサポート　急ブレーキ",  // 69
    u"ドライブサポート　急ハンドル",  // 70
    u"位置",  // 71
    u"急加速",  // 72
    u"急ブレーキ",  // 73
    u"急下降",  // 74
    u"急ハンドル",  // 75
    u"急上昇",  // 76
    u"マニュアル録画",  // 77
    u"緊急録画停止",  // 78
    u"駐車監視",  // 79
    u"速度超過",  // 80
    u"閉じる",  // 81
    u"早送り",  // 82
    u"コマ送り",  // 83
    u"参照",  // 84
    u"一時停止",  // 85
    u"再生",  // 86
    u"設定",  // 87
    u"スロー",  // 88
    u"静止画",  // 89
    u"停止",  // 90
    u"フルスクリーン（縦横比を維持）",  // 91
    u"フルスクリーン（ストレッチ）",  // 92
    u"同名のファイルが存在します。続行しますか？",  // 93
    u"動画ファイルの保存に失敗しました。",  // 94
    u"動画の連結に失敗しました。",  // 95
    u"CSVファイルが作成できません。",  // 96
    u"動画ファイルの削除に失敗しました。",  // 97
    u"フォルダパスの取得に失敗しました。",  // 98
    u"動画のオープンに失敗しました。",  // 99
    u"画像の保存に失敗しました。",  // 100
    u"動画ファイルがありません。",  // 101
    u"バックアップフォルダーを選択してください。",  // 102
    u"出力先フォルダーを選択してください。",  // 103
    u"動画フォルダーを選択してください。",  // 104
    u"表示数が1500を超えています。1500項目表示します。",  // 105
    u"確認",  // 106
    // 107
    u"新しいバージョンのソフトを利用できます。\r\n"
    u"ダウンロードする場合は下記URLをクリックしてください。",
    u"ソフトの更新情報",  // 108
    u"現在のバージョン：",  // 109
    u"ドライブレコーダー本体",  // 110
    u"更新バージョン：",  // 111
    u"ビューワーソフト",  // 112
    u"メイリオ",  // 113
    u"コーデックとスプリッターをインストールしてください。",  // 114
    u"適用",  // 115
    u"ドライブサポート",  // 116
    u"SDカードの初期化",  // 117
    u"パスワード設定",  // 118
    u"新しいパスワード確認:",  // 119
    u"現在のパスワード:",  // 120
    u"新しいパスワード:",  // 121
    u"SDカードの設定",  // 122
    u"ドライブ選択:",  // 123
    u"設定",  // 124
    u"緊急録画停止",  // 125
    u"駐車監視衝撃",  // 126
    u"ファームウェアの更新",  // 127
    u"バージョン情報",  // 128
    u"加速度グラフ/マップアイコン表示設定",  // 129
    u"速度超過",  // 130
    u"ファイル",  // 131
    u"フォルダー",  // 132
    u"参照先",  // 133
    u"SDカード",  // 134
    u"実行中...",  // 135
    u"お待ちください...",  // 136
    u"最小化",  // 137
    u"マップに戻る",  // 138
    u"サイズオーバーです。",  // 139
    u"車両情報",  // 140
    u"駐車衝撃",  // 141
    u"ファイル数を減らしてください。",  // 142
    u"WebView2 ランタイムがインストールされていません。",  // 143
    // 144
    u"WebView2ランタイムがインストールされていないと正常に地図が表示されません。\r\n"
    u"WEBサイトからランタイムをダウンロードし、インストールを行なってください。\r\n"
    u"\r\n"
    u"\r\n"
    u"※ダウンロードする際は「エバーグリーン ブートストラップ」版を選択してください。\r\n",
    u"言語:",  // 145
    u"速度の単位:",  // 146
    u"自動",  // 147
    u"日本語",  // 148
    u"English",  // 149
    u"言語と単位は次回の起動から適用されます。",  // 150
    u"設定を保存できませんでした。",  // 151
    u"表示",  // 152
    u"キャンセル",  // 153
    u"クリップの書き出しに失敗しました。",  // 154
    u"修復…",  // 155
    u"録画を修復できませんでした。",  // 156
    u"修復に使う同じカメラの正常な録画を選んでください",  // 157
    u"再生速度x-1.0",  // 158
    u"再生速度x-2.0",  // 159
    u"再生速度x-4.0",  // 160
    u"再生速度x-0.5",  // 161
    u"再生速度x-0.25",  // 162
    u"逆再生",  // 163
    u"開始",  // 164
    u"終了",  // 165
    u"元の形式（無劣化）",  // 166
    u"MP4（データ表示付き）",  // 167
    u"MP4のデータ表示",  // 168
    u"時刻",  // 169
    u"速度",  // 170
    u"イベント",  // 171
    u"地図",  // 172
    u"大きさ",  // 173
    u"位置",  // 174
    u"下",  // 175
    u"上",  // 176
    u"出力サイズ",  // 177
    u"元のサイズ",  // 178
    u"エンコード速度",  // 179
    u"イベント一覧",  // 180
    u"種類",  // 181
    u"日時",  // 182
    u"録画ファイル",  // 183
    u"最大G",  // 184
    u"速度",  // 185
    u"絞り込み",  // 186
    u"中止",  // 187
    u"イベントの読み込みを中止",  // 188
    u"前後を書き出す…",  // 189
    u"%1 / %2 件の録画、%3 件のイベント",  // 190
    u"（中止）",  // 191
    u"読み込めません",  // 192
    u"衝撃 X",  // 193
    u"衝撃 Y",  // 194
    u"衝撃 Z",  // 195
    u"ユーザーポイント",  // 196
    u"運転支援",  // 197
    u"キー操作一覧",  // 198
    u"キー",  // 199
    u"操作",  // 200
    u"再生／一時停止",  // 201
    u"1コマ進む",  // 202
    u"1コマ戻る",  // 203
    u"%d秒戻る",  // 204
    u"%d秒進む",  // 205
    u"通常の速度",  // 206
    u"前の動画",  // 207
    u"次の動画",  // 208
    u"次のイベント",  // 209
    u"前のイベント",  // 210
    u"GPX出力",  // 211
    u"フルスクリーン",  // 212
    u"フルスクリーン解除",  // 213
    u"消音／消音解除",  // 214
    u"開始点を設定",  // 215
    u"終了点を設定",  // 216
    u"スロットル開度",  // 217
    u"エンジン回転数",  // 218
    u"インマニ圧",  // 219
    u"エンジン水温",  // 220
    u"スピード",  // 221
    u"クリップを書き出す…",  // 222
    u"映像",  // 223
    u"再生位置",  // 224
    u"音量",  // 225
    u"タイムゾーン:",  // 226
    u"時計の補正（秒）:",  // 227
    u"地図:",  // 228
    u"標準のサーバー",  // 229
    u"逆再生（もう一度で速く）",  // 230
    u"再生（もう一度で速く）",  // 231
    u"Gセンサー",  // 232
    u"破損（修復できます）",  // 233
    u"ファイル一覧",  // 234
    u"フォルダ一覧",  // 235
    u"GPXファイルの出力に失敗しました。",  // 236
    u"次の録画は読み込めないため、出力しませんでした。",  // 237
    u"次の録画は読み込めないため、詳細なしで出力しました。",  // 238
};

// Wording 1 differs from wording 0 in these slots only.
constexpr std::array<std::pair<int, const char16_t*>, 16> kWording1Changes = {{
    {1, u"結合"},
    {10, u"オープン"},
    {12, u"プレイ"},
    {19, u"スナップショット"},
    {44, u"動画結合"},
    {68, u"ドライブアシスト　急加速"},
    {69, u"ドライブアシスト　急ブレーキ"},
    {70, u"ドライブアシスト　急ハンドル"},
    {84, u"オープン"},
    {85, u"ポーズ"},
    {86, u"プレイ"},
    {89, u"スナップショット"},
    {90, u"ストップ"},
    {95, u"動画の結合に失敗しました。"},
    {126, u"駐車監視"},
    {129, u"表示設定"},
}};
// clang-format on

int currentLanguage = 0;
UiLanguageChoice currentChoice = UiLanguageChoice::kAuto;

constexpr std::array<std::pair<UiLanguageChoice, const char*>, 3> kChoiceTexts = {{
    {UiLanguageChoice::kAuto, "auto"},
    {UiLanguageChoice::kJapanese, "ja"},
    {UiLanguageChoice::kEnglish, "en"},
}};

}  // namespace

QString UiTextIn(int language, int slot) {
  if (slot < 0 || slot >= kUiTextUsedSlots) return {};
  const auto index = static_cast<size_t>(slot);
  if (language == kEnglishUiLanguage) return QString::fromUtf16(kEnglishWording[index]);
  if (language == 1) {
    for (const auto& [changed, text] : kWording1Changes) {
      if (changed == slot) return QString::fromUtf16(text);
    }
  }
  return QString::fromUtf16(kWording0[index]);
}

QString UiText(int slot) { return UiTextIn(currentLanguage, slot); }

int uiLanguage() { return currentLanguage; }

int UiLanguageForLocale(const QLocale& locale) {
  return (locale.language() == QLocale::English && locale.territory() == QLocale::UnitedStates) ? 1
                                                                                                : 0;
}

std::optional<UiLanguageChoice> UiLanguageChoiceFromText(const QString& text) {
  for (const auto& [choice, name] : kChoiceTexts) {
    if (text == QLatin1String(name)) return choice;
  }
  return std::nullopt;
}

QString UiLanguageChoiceText(UiLanguageChoice choice) {
  for (const auto& [known, name] : kChoiceTexts) {
    if (known == choice) return QString::fromLatin1(name);
  }
  return {};
}

int UiLanguageFor(UiLanguageChoice choice, const QLocale& locale) {
  switch (choice) {
    case UiLanguageChoice::kJapanese:
      return 0;
    case UiLanguageChoice::kEnglish:
      return kEnglishUiLanguage;
    case UiLanguageChoice::kAuto:
      break;
  }
  return UiLanguageForLocale(locale);
}

void SetUiLanguageChoice(UiLanguageChoice choice) { currentChoice = choice; }

void ChooseUiLanguage(const QLocale& locale) {
  currentLanguage = UiLanguageFor(currentChoice, locale);
}
