#include "base/ui_text_english.h"

// Short captions and tooltips, plain messages, as an English-speaking user
// of a media player reads them. The slots keep the Japanese wording's
// meaning, its "%d" and its line breaks.
// clang-format off
const std::array<const char16_t*, kUiTextUsedSlots> kEnglishWording = {
    u"Close",  // 0
    u"Join",  // 1
    u"CSV",  // 2
    u"Delete",  // 3
    u"Fast forward",  // 4
    u"Rotate 180°",  // 5
    u"Next frame",  // 6
    u"Large",  // 7
    u"Medium",  // 8
    u"Next",  // 9
    u"Open",  // 10
    u"Pause",  // 11
    u"Play",  // 12
    u"Previous",  // 13
    u"Repair video",  // 14
    u"Save",  // 15
    u"Settings",  // 16
    u"Slow",  // 17
    u"Small",  // 18
    u"Snapshot",  // 19
    u"To start",  // 20
    u"Zoom",  // 21
    u"Emergency",  // 22
    u"File No.",  // 23
    u"Impact",  // 24
    u"Impact + manual",  // 25
    u"Continuous",  // 26
    u"Manual",  // 27
    u"Parking",  // 28
    u"Impact",  // 29
    u"Manual",  // 30
    u"Trigger",  // 31
    u"Data size",  // 32
    u"Date,",  // 33
    u"File name,",  // 34
    u"File No.,",  // 35
    u"Frame rate,",  // 36
    u"%d files",  // 37
    u"Quality,",  // 38
    u"Resolution,",  // 39
    u"Length,",  // 40
    u"Start time,",  // 41
    u"Trigger,",  // 42
    u"Backup",  // 43
    u"Join recordings",  // 44
    u"Next",  // 45
    u"Date",  // 46
    u"Delete",  // 47
    u"Done.",  // 48
    u"Finished",  // 49
    u"File name",  // 50
    u"File size",  // 51
    u"ID",  // 52
    u"Save",  // 53
    u"Select all",  // 54
    u"Select all shown",  // 55
    u"Show all files",  // 56
    u"End time",  // 57
    u"Start time",  // 58
    u"High quality",  // 59
    u"Low quality",  // 60
    u"Speed x2.0",  // 61
    u"Speed x4.0",  // 62
    u"Speed x0.5",  // 63
    u"Speed x0.25",  // 64
    u"Fore-aft (X)",  // 65
    u"Lateral (Y)",  // 66
    u"Vertical (Z)",  // 67
    u"Drive support: hard acceleration",  // 68
    u"Drive support: hard braking",  // 69
    u"Drive support: sharp turn",  // 70
    u"Position",  // 71
    u"Hard acceleration",  // 72
    u"Hard braking",  // 73
    u"Sudden drop",  // 74
    u"Sharp turn",  // 75
    u"Sudden rise",  // 76
    u"Manual recording",  // 77
    u"Emergency stop",  // 78
    u"Parking monitor",  // 79
    u"Speeding",  // 80
    u"Close",  // 81
    u"Fast forward",  // 82
    u"Next frame",  // 83
    u"Open",  // 84
    u"Pause",  // 85
    u"Play",  // 86
    u"Settings",  // 87
    u"Slow",  // 88
    u"Snapshot",  // 89
    u"Stop",  // 90
    u"Full screen (keep aspect ratio)",  // 91
    u"Full screen (stretch)",  // 92
    u"A file with the same name already exists. Continue?",  // 93
    u"Could not save the video file.",  // 94
    u"Could not join the recordings.",  // 95
    u"Could not create the CSV file.",  // 96
    u"Could not delete the video file.",  // 97
    u"Could not get the folder path.",  // 98
    u"Could not open the video.",  // 99
    u"Could not save the picture.",  // 100
    u"No video files.",  // 101
    u"Choose a backup folder.",  // 102
    u"Choose the output folder.",  // 103
    u"Choose the video folder.",  // 104
    u"More than 1500 items. Showing the first 1500.",  // 105
    u"Confirm",  // 106
    // 107
    u"A new version of the software is available.\r\n"
    u"Click the address below to download it.",
    u"Software update",  // 108
    u"Current version: ",  // 109
    u"Drive recorder",  // 110
    u"New version: ",  // 111
    u"Viewer",  // 112
    u"Meiryo",  // 113
    u"Please install the codecs and splitters.",  // 114
    u"Apply",  // 115
    u"Drive support",  // 116
    u"Format SD card",  // 117
    u"Set password",  // 118
    u"Confirm new password:",  // 119
    u"Current password:",  // 120
    u"New password:",  // 121
    u"SD card settings",  // 122
    u"Drive:",  // 123
    u"Settings",  // 124
    u"Emergency stop",  // 125
    u"Parking impact",  // 126
    u"Firmware update",  // 127
    u"Version",  // 128
    u"G-sensor graph and map icons",  // 129
    u"Speeding",  // 130
    u"File",  // 131
    u"Folder",  // 132
    u"Source",  // 133
    u"SD card",  // 134
    u"Working...",  // 135
    u"Please wait...",  // 136
    u"Minimize",  // 137
    u"Back to map",  // 138
    // 139: a message of its own, or the start of one that 142 ends.
    u"The joined recording would be too large. ",
    u"Vehicle info",  // 140
    u"Parking impact",  // 141
    u"Choose fewer files.",  // 142
    u"The WebView2 runtime is not installed.",  // 143
    // 144
    u"The map cannot be shown without the WebView2 runtime.\r\n"
    u"Download the runtime from the website and install it.\r\n"
    u"\r\n"
    u"\r\n"
    u"When downloading, choose the \"Evergreen Bootstrapper\".\r\n",
    u"Language:",  // 145
    u"Speed unit:",  // 146
    u"Automatic",  // 147
    u"Japanese",  // 148
    u"English",  // 149
    u"Language and unit apply at the next start.",  // 150
    u"Could not save the settings.",  // 151
    u"Display",  // 152
    u"Cancel",  // 153
    u"Could not export the clip.",  // 154
    u"Repair…",  // 155
    u"Could not repair the recording.",  // 156
    u"Choose a healthy recording from the same camera to repair with",  // 157
    u"Speed x-1.0",  // 158
    u"Speed x-2.0",  // 159
    u"Speed x-4.0",  // 160
    u"Speed x-0.5",  // 161
    u"Speed x-0.25",  // 162
    u"Play backwards",  // 163
    u"Start",  // 164
    u"End",  // 165
    u"Original format (lossless)",  // 166
    u"MP4 with the drive's data",  // 167
    u"Data on MP4 clips",  // 168
    u"Time",  // 169
    u"Speed",  // 170
    u"Events",  // 171
    u"Map",  // 172
    u"Size",  // 173
    u"Place",  // 174
    u"Bottom",  // 175
    u"Top",  // 176
    u"Output size",  // 177
    u"As recorded",  // 178
    u"Encoding speed",  // 179
    u"Event list",  // 180
    u"Kind",  // 181
    u"Date and time",  // 182
    u"Recording",  // 183
    u"Peak G",  // 184
    u"Speed",  // 185
    u"Filter",  // 186
    u"Stop",  // 187
    u"Stop reading the events",  // 188
    u"Export around…",  // 189
    u"%1 of %2 recordings, %3 events",  // 190
    u" (stopped)",  // 191
    u"Unreadable",  // 192
    u"Impact X",  // 193
    u"Impact Y",  // 194
    u"Impact Z",  // 195
    u"User point",  // 196
    u"Drive assist",  // 197
    u"Keyboard shortcuts",  // 198
    u"Key",  // 199
    u"Action",  // 200
    u"Play/Pause",  // 201
    u"Step forward",  // 202
    u"Step back",  // 203
    u"Back %d s",  // 204
    u"Forward %d s",  // 205
    u"Normal speed",  // 206
    u"Previous recording",  // 207
    u"Next recording",  // 208
    u"Next event",  // 209
    u"Previous event",  // 210
    u"Export GPX",  // 211
    u"Full screen",  // 212
    u"Leave full screen",  // 213
    u"Mute/Unmute",  // 214
    u"Set start",  // 215
    u"Set end",  // 216
    u"Throttle",  // 217
    u"Engine speed",  // 218
    u"Intake pressure",  // 219
    u"Coolant temperature",  // 220
    u"Speed",  // 221
    u"Export clip…",  // 222
    u"Video",  // 223
    u"Position",  // 224
    u"Volume",  // 225
    u"Time zone:",  // 226
    u"Clock offset (s):",  // 227
    u"Map:",  // 228
    u"Standard server",  // 229
    u"Play backwards (again: faster)",  // 230
    u"Play (again: faster)",  // 231
    u"G-sensor",  // 232
    u"Damaged (can be repaired)",  // 233
    u"Recordings",  // 234
    u"Folders",  // 235
    u"Could not write the GPX file.",  // 236
    u"These recordings could not be read and were left out:",  // 237
    u"These recordings could not be read and were listed without details:",  // 238
};
// clang-format on
