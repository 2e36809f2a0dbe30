// SPDX-License-Identifier: MIT
// The numbered messages in Japanese. A null entry carries the English text.
#include "platform/messages.h"

namespace hg {

extern const char* const kJapaneseMessages[kMessageCount + 1] = {
    nullptr,
    /*  1 */ nullptr,
    /*  2 */ "zumei.csv のフォーマットが変です。",
    /*  3 */ ".mem 選択された地図は、南北方向で接続できません。",
    /*  4 */ ".mem 選択された地図は、東西方向で接続できません。",
    /*  5 */ ".mem 書き込みエラー。",
    /*  6 */ nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    /* 15 */ nullptr,
    /* 16 */ ".mem が見つかりません。",
    /* 17 */ ".mem のフォーマットが変です。",
    /* 18 */ nullptr,
    /* 19 */ nullptr,
    /* 20 */ "DEM 選択.",
    /* 21 */ "選択項目数が違います。",
    /* 22 */ "OpenGL 1.1 が使用できません。",
    /* 23 */ nullptr,
    /* 24 */ nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    /* 33 */ nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    /* 42 */ nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    /* 51 */ nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    /* 60 */ nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    /* 69 */ nullptr,
    nullptr,
    nullptr,
    /* 72 */ "Not find 東西方向の点数.",
    /* 73 */ "Not find 南北方向の点数.",
    /* 74 */ "Not find 左下の緯度、度.",
    /* 75 */ "Not find 左下の緯度、分.",
    /* 76 */ "Not find 左下の緯度、秒.",
    /* 77 */ "Not find 左下の経度、度.",
    /* 78 */ "Not find 左下の経度、分.",
    /* 79 */ "Not find 左下の経度、秒.",
    /* 80 */ "Not find 右上の緯度、度.",
    /* 81 */ "Not find 右上の緯度、分.",
    /* 82 */ "Not find 右上の緯度、秒.",
    /* 83 */ "Not find 右上の経度、度.",
    /* 84 */ "Not find 右上の経度、分.",
    /* 85 */ "Not find 右上の経度、秒.",
    /* 86 */ "Not find 図名.",
    /* 87 */ "Not find 左下Ｘ座標.",
    /* 88 */ "Not find 左下Ｙ座標.",
    /* 89 */ "Not find 右下Ｘ座標.",
    /* 90 */ "Not find 右下Ｙ座標.",
    /* 91 */ "Not find 座標番号.",
    /* 92 */ nullptr,
    /* 93 */ "XScreenSaverの表示モードにHillglimmerを加えました:",
    /* 94 */ "HillglimmerはすでにXScreenSaverの表示モードにあります:",
    /* 95 */ "XScreenSaverの表示モードからHillglimmerを外しました:",
    /* 96 */ "「hillglimmer xscreensaver on」が作ったXScreenSaverの設定ファイルを削除しました:",
    /* 97 */ "HillglimmerはXScreenSaverの表示モードにありません:",
    /* 98 */ "XScreenSaverの設定ファイルを読めません:",
    /* 99 */ "XScreenSaverの設定ファイルに書き込めません:",
    /* 100 */ "四隅の位置を求められません: このファイルは州平面座標系です。",
    /* 101 */ "四隅の位置を求められません: このファイルの座標は経緯度でもUTMでもありません。",
    /* 102 */ "四隅を度に変換できませんでした。",
    /* 103 */ "四隅の点の位置 (測地系変換なし)、ファイルが示す測地系:",
    /* 104 */
    "四隅の点の位置 (測地系変換なし)、ファイルに記載がないため仮定した測地系 (USGSの図郭の測地系):",
    /* 105 */
    "使い方: hillglimmer [/s | /p ID | /c]\n"
    "        hillglimmer [-root | -window | -window-id ID] [-delay US] [-fps]\n"
    "                    [-style 名前|N] [-mesh 1|2|4|8] [-altitude X] [-speed X]\n"
    "                    [-contour メートル] [-dem ファイル]\n"
    "        hillglimmer info ファイル [--type N] [--heights 出力.f32]\n"
    "        hillglimmer select ファイル | select 索引 図名コード [図名コード...]\n"
    "        hillglimmer render [--style 名前|N] [--size 幅x高さ] [--frames N] [--out フォルダ]\n"
    "        hillglimmer xscreensaver on|off\n"
    "        hillglimmer --help | -h | --version\n",
    /* 106 */
    "\n"
    "スクリーンセーバー:\n"
    "  /s                 全モニターに全画面で表示\n"
    "  /p ID              X11 ウィンドウ ID (10進数または 0x で始まる16進数) の中に表示\n"
    "  /c、引数なし       設定ダイアログ\n"
    "\n"
    "XScreenSaver のハックとして (ダッシュは1つでも2つでも可。設定のオプションは\n"
    "この実行にだけ効き、保存された設定は変えません):\n"
    "  -root              $XSCREENSAVER_WINDOW に、なければルートウィンドウに描く\n"
    "  -window            専用のウィンドウに描く\n"
    "  -window-id ID      X11 ウィンドウ ID に描く\n"
    "  -delay US          コマ間の待ち時間 (マイクロ秒)、0 から 60000000 (30000)\n"
    "  -fps               フレームレートを表示する\n"
    "  -style 名前|N      描画方法 (名前または 0 から 8 の番号)\n"
    "  -mesh 1|2|4|8      DEM の点を N x N ごとに平均する\n"
    "  -altitude X        高さ係数、0.1 から 100\n"
    "  -speed X           回転速度、0.05 から 10\n"
    "  -contour メートル  等高線間隔、0.2 から 1000\n"
    "  -dem ファイル      ファイルの DEM 全体をその場で読んで表示する\n"
    "  -visual、-install、-pair  受け付けるが何もしない\n"
    "  描画方法: {1}\n"
    "  (Relief、9 は render --style でのみ使えます)\n"
    "\n"
    "コマンド (ディスプレイ不要):\n"
    "  info ファイル      DEM の内容を表示する。--type N で DEM 種別 N として読み、\n"
    "                     --heights 出力.f32 で標高を float32 で書き出す\n"
    "  select ファイル    ファイルをセーバーが表示する DEM にする (コピーまたは取り込み)\n"
    "  select 索引 図名コード  zumei.csv 索引の 50m メッシュ図葉をコードで選んで結合する\n"
    "  render             現在の DEM を画面外に描き、フォルダ (hillglimmer-frames) に\n"
    "                     PNG で書き出す。--size は 8192x8192 まで (640x480)、\n"
    "                     --frames は 1 から 100000 (1)\n"
    "  xscreensaver on|off  XScreenSaver の表示モードに Hillglimmer を加える、または外す\n"
    "\n"
    "DEM 種別 (拡張子から判断。作業ファイルの種別は設定から。info --type N で指定可):\n",
    /* 107 */
    "オプションと DEM 種別は 'hillglimmer --help' で表示されます。",
    /* 108 */
    "不明なコマンドまたはオプション '{1}'",
    /* 109 */
    "不明なオプション '{1}'",
    /* 110 */
    "/p には描画先ウィンドウの ID (10進数または 0x で始まる16進数) が必要です",
    /* 111 */
    "設定を置くホームディレクトリがありません。",
    /* 112 */
    "設定ダイアログにはディスプレイが必要です (DISPLAY が設定されていません)。",
    /* 113 */
    "スクリーンセーバーには X ディスプレイが必要ですが、DISPLAY が設定されていません。",
    /* 114 */
    "ディスプレイ {1} を開けません",
    /* 115 */
    "スクリーンセーバーが X11 ディスプレイに接続できません。",
    /* 116 */
    "X11 ウィンドウ {1} がありません。",
    /* 117 */
    "描画方法 {1} 番はありません。",
    /* 118 */
    "スクリーンセーバーのウィンドウに OpenGL のコンテキストを作れません。",
    /* 119 */
    "起伏図を描けません。",
    /* 120 */
    "{1} に書き込めません。",
    /* 121 */
    "{1} を読むにはメモリが足りません。",
    /* 122 */
    "使い方: hillglimmer info ファイル [--type N] [--heights 出力.f32]\n"
    "  --type N: 0 国土地理院 50m メッシュ、1 USGS DEM または CDED、\n"
    "            2 USGS SDTS (取り込み)、3 スイス DHM25、4 英国陸地測量部 NTF、\n"
    "            5 スイス RIMINI、6 国土地理院 10m メッシュ (取り込み)、\n"
    "            7 GDAL ラスター (GeoTIFF、SRTM .hgt、ESRI ASCII グリッド、DTED など\n"
    "            GDAL が読めるラスター。タイル化した GeoTIFF の作業ファイルに取り込み)\n",
    /* 123 */
    "{1} は直接読まずに取り込む形式です。`hillglimmer select {1}` を実行してから `hillglimmer info "
    "{2}` を実行してください。",
    /* 124 */
    "ファイル: {1}",
    /* 125 */
    "種別: {1}",
    /* 126 */
    "図名: {1}",
    /* 127 */
    "大きさ: {1} x {2}",
    /* 128 */
    "四隅: {1}",
    /* 129 */
    "南西",
    /* 130 */
    "北西",
    /* 131 */
    "北東",
    /* 132 */
    "南東",
    /* 133 */
    "{1}: {2} {3} ({4}, {5} 秒)",
    /* 134 */
    "東西の間隔: 北端 {1} m、南端 {2} m、平均 {3} m",
    /* 135 */
    "南北の間隔: 北端 {1} m、南端 {2} m、平均 {3} m",
    /* 136 */
    "標高: {1} から {2} m",
    /* 137 */
    "標高: なし",
    /* 138 */
    "欠測点: {1}",
    /* 139 */
    "フラクタル次元: {1}",
    /* 140 */
    "使い方: hillglimmer render [--style 名前|N] [--size 幅x高さ] [--frames N] [--out フォルダ]\n",
    /* 141 */
    "{1} という描画方法はありません (描画方法: {2})",
    /* 142 */
    "{1} に 1 枚書き出しました",
    /* 143 */
    "{2} に {1} 枚書き出しました",
    /* 144 */
    "使い方: hillglimmer select ファイル\n"
    "        hillglimmer select 索引 図名コード [図名コード...]   (zumei.csv の 50m "
    "メッシュ図葉)\n",
    /* 145 */
    "{2} に図名コード {1} の図葉はありません。",
    /* 146 */
    "スクリーンセーバーは {1} (種別 {2}) を表示します。",
    /* 147 */
    "すでに作業ファイルです。何も変えていません。",
    /* 148 */
    "使い方: hillglimmer xscreensaver on|off\n",
    /* 149 */
    "-{1} {2}: {3}",
    /* 150 */
    "描画方法は {1} です",
    /* 151 */
    "1、2、4、8 のいずれかを指定してください",
    /* 152 */
    "{1} から {2} を指定してください",
    /* 153 */
    "{1} から {2} (メートル) を指定してください",
    /* 154 */
    "ファイルがありません",
    /* 155 */
    "この種別はその場では読めず取り込みが必要です。hillglimmer select を使ってください",
    /* 156 */
    "-window-id にはウィンドウ ID が必要です",
    /* 157 */
    "-delay にはマイクロ秒の数が必要です",
    /* 158 */
    "-{1} には値が必要です",
    /* 159 */ "メモリが足りません。",
    /* 160 */ "、取り込み",
    /* 161 */
    "  その他の名前のファイルは、国土地理院 50m メッシュとして読めればそれとして、\n"
    "  読めなければ GDAL が読める形式のラスター (種別 7) として扱います。\n",
    /* 162 */
    "ラスタとして読めるのはローカルの通常のファイルだけです。アーカイブのパス、ネットワークのアドレ"
    "ス、ファイルの一部を指す名前は使えません。",
    /* 163 */
    "読み込める通常のファイルではありません（デバイス、フォルダ、または存在しないファイルです）。",
    /* 164 */
    "ここで読めない形式のラスタです（GeoTIFF、SRTM .hgt または .hgt.zip、ESRI ASCII "
    "グリッド、DTED、Erdas Imagine、USGS DEM、Surfer グリッド、ESRI .bil/.flt が読めます）。",
    /* 165 */ "ラスタに標高のバンドがありません。",
    /* 166 */ "ラスタに地理参照がありません。",
    /* 167 */ "ラスタが回転しているか北が上ではありません。北が上のラスタだけが描けます。",
    /* 168 */ "ラスタの座標系を地球上に置くことができません。",
    /* 169 */ "ラスタが小さすぎるか大きすぎて描けません。",
    /* 170 */ "DEM の格子間隔が使えません（1 mm から 1000 km の間でなければなりません）。",
    /* 171 */ "DEM に標高がありません。すべての点が欠測です。",
    /* 172 */ "ラスタを読み込めません。",
    /* 173 */
    "設定ファイルを全部読み込めません（1 MB "
    "を超えている、通常のファイルではない、または読めません）。ファイルはそのままにし、何も変更しま"
    "せんでした。",
    /* 174 */ "等高線の間隔が {1} m では、この地形で描く頂点が {2} 個を超えます。",
    /* 175 */
    "等高線の間隔が {1} m では、この地形で描く線分が {2} 本になり、保持できる数 ({3}) を超えます。",
    /* 176 */ "{1}{2} m 以上の間隔を選んでください。",
    /* 177 */ "{1}一覧のどの間隔でもこの地形には細かすぎます。粗いメッシュを選んでください。",
};

}  // namespace hg
