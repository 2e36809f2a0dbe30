// SPDX-License-Identifier: MIT
// The numbered messages in English. Readers and dialogs raise them by number.
#include "platform/messages.h"

namespace hg {

extern const char* const kEnglishMessages[kMessageCount + 1] = {
    nullptr,
    /*  1 */ "Hillglimmer",
    /*  2 */ "Illegal format zumei.csv.",
    /*  3 */ "Not connection NS .mem.",
    /*  4 */ "Not connection EW .mem.",
    /*  5 */ "Write error .mem.",
    /*  6 */ "Not find NEWHEADER.",
    /*  7 */ "Not find NORD-WEST.",
    /*  8 */ "Not find SUED-OST.",
    /*  9 */ "Not find MASCHENWEITE.",
    /* 10 */ "Not find MATRIXDIMENSIONEN.",
    /* 11 */ "Not find HOEHENBEREICH.",
    /* 12 */ "Not find RECORDLAENGE.",
    /* 13 */ "Not find ENDHEADER.",
    /* 14 */ "Illegal format .mlt or .mat.",
    /* 15 */ "Illegal format .dat.",
    /* 16 */ "Not find .mem.",
    /* 17 */ "Illegal format .mem.",
    /* 18 */ "Illegal format .dem.",
    /* 19 */ "Illegal end of line.",
    /* 20 */ "Specify DEM.",
    /* 21 */ "Illegal number of DEM.",
    /* 22 */ "OpenGL 1.1 is not available.",
    /* 23 */ "Illegal format .ddf.",
    /* 24 */ "Can't open CEL0 file.",
    /* 25 */ "Error reading DDR (CEL0 module).",
    /* 26 */ "Error reading data record subfield (CEL0 module).",
    /* 27 */ "Error checking data record subfield (CEL0 module).",
    /* 28 */ "Can't open DDOM file.",
    /* 29 */ "Error reading DDR (DDOM module).",
    /* 30 */ "Error reading data record subfield (DDOM module).",
    /* 31 */ "Error checking data record subfield (DDOM module).",
    /* 32 */ "Can't open DDSH file.",
    /* 33 */ "Error reading DDR (DDSH module).",
    /* 34 */ "Error reading data record subfield (DDSH module).",
    /* 35 */ "Error checking data record subfield (DDSH module).",
    /* 36 */ "Can't open IDEN file.",
    /* 37 */ "Error reading DDR (IDEN module).",
    /* 38 */ "Error reading data record subfield (IDEN module).",
    /* 39 */ "Error checking data record subfield (IDEN module).",
    /* 40 */ "Can't open IREF file.",
    /* 41 */ "Error reading DDR (IREF module).",
    /* 42 */ "Error reading data record subfield (IREF module).",
    /* 43 */ "Error checking data record subfield (IREF module).",
    /* 44 */ "Can't open LDEF file.",
    /* 45 */ "Error reading DDR (LDEF module).",
    /* 46 */ "Error reading data record subfield (LDEF module).",
    /* 47 */ "Error checking data record subfield (LDEF module).",
    /* 48 */ "Can't open RSDF file.",
    /* 49 */ "Error reading DDR (RSDF module).",
    /* 50 */ "Error reading data record subfield (RSDF module).",
    /* 51 */ "Error checking data record subfield (RSDF module).",
    /* 52 */ "Can't open SPDM file.",
    /* 53 */ "Error reading DDR (SPDM module).",
    /* 54 */ "Error reading data record subfield (SPDM module).",
    /* 55 */ "Error checking data record subfield (SPDM module).",
    /* 56 */ "Can't open XREF file.",
    /* 57 */ "Error reading DDR (XREF module).",
    /* 58 */ "Error reading data record subfield (XREF module).",
    /* 59 */ "Error checking data record subfield (XREF module).",
    /* 60 */ "Error rows execeed the 1700 limit of the program USGS7.5min.",
    /* 61 */ "Error Void or Fill data USGS7.5min.",
    /* 62 */ "Error write USGS7.5min.",
    /* 63 */ "Illegal format .ntf.",
    /* 64 */ "Not find Volume header.",
    /* 65 */ "Not find DB header.",
    /* 66 */ "Not find Section header.",
    /* 67 */ "Not find Grid header.",
    /* 68 */ "Error reading Grid data.",
    /* 69 */ "Error reading Record data.",
    /* 70 */ "Error normalized.",
    /* 71 */ "Illegal format .csv",
    /* 72 */ "Not find num cols.",
    /* 73 */ "Not find num rows.",
    /* 74 */ "Not find SW Alti deg.",
    /* 75 */ "Not find SW Alti min.",
    /* 76 */ "Not find SW Alti sec.",
    /* 77 */ "Not find SW Long deg.",
    /* 78 */ "Not find SW Long min.",
    /* 79 */ "Not find SW Long sec.",
    /* 80 */ "Not find NE Alti deg.",
    /* 81 */ "Not find NE Alti min.",
    /* 82 */ "Not find NE Alti sec.",
    /* 83 */ "Not find NE Long deg.",
    /* 84 */ "Not find NE Long min.",
    /* 85 */ "Not find NE Long sec.",
    /* 86 */ "Not find name.",
    /* 87 */ "Not find SW X position.",
    /* 88 */ "Not find SW Y position.",
    /* 89 */ "Not find NE X position.",
    /* 90 */ "Not find NE Y position.",
    /* 91 */ "Not find Zone.",
    /* 92 */ "Illegal format .dat.",
    /* 93 */ "Hillglimmer is now among the display modes of XScreenSaver in",
    /* 94 */ "Hillglimmer already is among the display modes of XScreenSaver in",
    /* 95 */ "Hillglimmer is no longer among the display modes of XScreenSaver in",
    /* 96 */
    "Removed the XScreenSaver settings file that \"hillglimmer xscreensaver on\" had written:",
    /* 97 */ "Hillglimmer is not among the display modes of XScreenSaver in",
    /* 98 */ "Cannot read the XScreenSaver settings file",
    /* 99 */ "Cannot write the XScreenSaver settings file",
    /* 100 */ "The corners cannot be placed on the map: the file is in State Plane coordinates.",
    /* 101 */
    "The corners cannot be placed on the map: the file's coordinates are neither geographic nor "
    "UTM.",
    /* 102 */ "The corners could not be turned into degrees.",
    /* 103 */ "corner posts, without a datum shift, in the datum the file names:",
    /* 104 */
    "corner posts, without a datum shift, in the datum assumed where a file names none (the USGS "
    "quadrangles were drawn on it):",
    /* 105 */
    "Usage: hillglimmer [/s | /p ID | /c]\n"
    "       hillglimmer {1}\n"
    "       hillglimmer info FILE [--type N] [--heights OUT.f32]\n"
    "       hillglimmer select FILE | select INDEX CODE [CODE...]\n"
    "       hillglimmer render [--style NAME|N] [--size WxH] [--frames N] [--out DIR]\n"
    "       hillglimmer xscreensaver on|off\n"
    "       hillglimmer --help | -h | --version\n",
    /* 106 */
    "\n"
    "Screen saver:\n"
    "  /s                 the saver, full screen on every monitor\n"
    "  /p ID              the saver inside the X11 window ID (decimal or 0x hex)\n"
    "  /c, nothing        the setup dialog\n"
    "\n"
    "As an XScreenSaver hack (one or two dashes; the settings options hold for\n"
    "this run only and leave the stored settings alone):\n",
    /* 107 */
    "Run 'hillglimmer --help' for the options and DEM types.",
    /* 108 */
    "unknown command or option '{1}'",
    /* 109 */
    "unknown option '{1}'",
    /* 110 */
    "/p needs the id of the window to draw in (decimal or 0x hex)",
    /* 111 */
    "there is no home directory for the settings.",
    /* 112 */
    "the setup dialog needs a display (DISPLAY is not set).",
    /* 113 */
    "the saver needs an X display, and DISPLAY is not set.",
    /* 114 */
    "cannot open display {1}",
    /* 115 */
    "the saver reaches no X11 display.",
    /* 116 */
    "there is no X11 window {1}.",
    /* 117 */
    "There is no drawing style number {1}.",
    /* 118 */
    "OpenGL cannot create a context for the saver window.",
    /* 119 */
    "The relief map cannot be drawn.",
    /* 120 */
    "Cannot write {1}.",
    /* 121 */
    "not enough memory to read {1}.",
    /* 122 */
    "usage: hillglimmer info FILE [--type N] [--heights OUT.f32]\n"
    "  --type N: 0 GSI 50 m mesh, 1 USGS DEM or CDED, 2 USGS SDTS (imported),\n"
    "            3 Swiss DHM25, 4 Ordnance Survey NTF, 5 Swiss RIMINI,\n"
    "            6 GSI 10 m mesh (imported), 7 GDAL raster (GeoTIFF, SRTM .hgt,\n"
    "            ESRI ASCII grid, DTED, any raster GDAL reads; imported into a\n"
    "            tiled GeoTIFF working file)\n",
    /* 123 */
    "{1} is imported, not read directly. Run `hillglimmer select {1}`, then `hillglimmer info "
    "{2}`.",
    /* 124 */
    "File: {1}",
    /* 125 */
    "Type: {1}",
    /* 126 */
    "Title: {1}",
    /* 127 */
    "Size: {1} x {2}",
    /* 128 */
    "Corners: {1}",
    /* 129 */
    "South-west",
    /* 130 */
    "North-west",
    /* 131 */
    "North-east",
    /* 132 */
    "South-east",
    /* 133 */
    "{1}: {2} {3} ({4}, {5} arc-seconds)",
    /* 134 */
    "Spacing east-west: north {1} m, south {2} m, mean {3} m",
    /* 135 */
    "Spacing north-south: north {1} m, south {2} m, mean {3} m",
    /* 136 */
    "Heights: {1} to {2} m",
    /* 137 */
    "Heights: none",
    /* 138 */
    "Void samples: {1}",
    /* 139 */
    "Fractal dimension: {1}",
    /* 140 */
    "usage: hillglimmer render [--style NAME|N] [--size WxH] [--frames N] [--out DIR]\n",
    /* 141 */
    "no style named {1} (styles: {2})",
    /* 142 */
    "Wrote 1 frame to {1}",
    /* 143 */
    "Wrote {1} frames to {2}",
    /* 144 */
    "usage: hillglimmer select FILE\n"
    "       hillglimmer select INDEX CODE [CODE...]   (GSI 50 m sheets of a zumei.csv)\n",
    /* 145 */
    "No sheet with the code {1} in {2}.",
    /* 146 */
    "The saver now shows {1} (type {2}).",
    /* 147 */
    "That is already the working file; nothing changed.",
    /* 148 */
    "usage: hillglimmer xscreensaver on|off\n",
    /* 149 */
    "-{1} {2}: {3}",
    /* 150 */
    "the styles are {1}",
    /* 151 */
    "use one of {1}",
    /* 152 */
    "use {1} to {2}",
    /* 153 */
    "use {1} to {2} (metres)",
    /* 154 */
    "no such file",
    /* 155 */
    "this type is imported, not read in place; use hillglimmer select",
    /* 156 */
    "-window-id needs a window id",
    /* 157 */
    "-delay needs a number of microseconds",
    /* 158 */
    "-{1} needs a value",
    /* 159 */ "Not enough memory.",
    /* 160 */ ", imported",
    /* 161 */
    "  A file of any other name is a GSI 50 m mesh where that reader takes it,\n"
    "  else a raster of any format GDAL reads (type 7).\n",
    /* 162 */
    "Only a plain local file can be read as a raster: archive paths, network addresses and parts "
    "of files are refused.",
    /* 163 */ "This is not a regular file that can be read (a device, a folder or a missing file).",
    /* 164 */
    "Not a raster in a format read here (GeoTIFF, SRTM .hgt or .hgt.zip, ESRI ASCII grid, DTED, "
    "Erdas Imagine, USGS DEM, Surfer grid, ESRI .bil/.flt).",
    /* 165 */ "The raster has no elevation band.",
    /* 166 */ "The raster has no georeferencing.",
    /* 167 */ "The raster is rotated or not north up; only north-up rasters can be drawn.",
    /* 168 */ "The raster's coordinate system cannot be placed on the globe.",
    /* 169 */ "The raster is too small or too large to draw.",
    /* 170 */
    "The spacing of the DEM's posts is not usable (it must lie between 1 mm and 1000 km).",
    /* 171 */ "The DEM holds no heights: every post is void.",
    /* 172 */ "The raster cannot be read.",
    /* 173 */
    "The settings file cannot be read whole (it is larger than 1 MB, not a regular file or "
    "unreadable). It is left as it is and nothing was changed.",
    /* 174 */ "The number of frames must not be negative.",
    /* 175 */ "The terrain could not be drawn.",
    /* 176 */ "Cannot create the folder {1}: {2}",
    /* 177 */ "Frame {1} could not be drawn.",
    /* 178 */ "Unknown error.",
    /* 179 */ "The offscreen picture size must be between 1 x 1 and {1} x {1} pixels.",
    /* 180 */ "Cannot create an offscreen OpenGL context: surfaceless: {1}; default display: {2}.",
    /* 181 */ "EGL has no surfaceless platform",
    /* 182 */ "eglGetPlatformDisplayEXT is missing",
    /* 183 */ "no EGL configuration with RGBA8, 24-bit depth and desktop OpenGL",
    /* 184 */ "{1} failed (EGL error {2})",
    /* 185 */ "Compressing the picture failed.",
    /* 186 */ "Cannot copy {1} to {2}.",
    /* 187 */ "Cannot write the settings file.",
    /* 188 */
    "The DEM is too small to draw: it needs at least 2 x 2 vertices at this mesh setting.",
    /* 189 */ "{1}: {2} The previous DEM is kept.",
    /* 190 */ "Cannot copy {1} to {2}. The previous DEM is kept.",
    /* 191 */ "Cannot read {1}.",
    /* 192 */ "Choose the map sheets of {1} by code.",
    /* 193 */ "No reader for this DEM.",
    /* 194 */ "GSI 50 m mesh",
    /* 195 */ "USGS DEM and CDED",
    /* 196 */ "USGS SDTS transfer",
    /* 197 */ "Swiss DHM25",
    /* 198 */ "Ordnance Survey NTF",
    /* 199 */ "Swiss RIMINI",
    /* 200 */ "GSI 10 m mesh",
    /* 201 */ "GDAL raster",
    /* 202 */
    "  styles: {1}\n"
    "  ({2}, {3}, only with render --style)\n"
    "\n"
    "Commands (no display needed):\n"
    "  info FILE          describe a DEM; --type N reads it as DEM type N,\n"
    "                     --heights OUT.f32 writes its heights as float32\n"
    "  select FILE        make FILE the DEM the saver shows (copied or imported)\n"
    "  select INDEX CODE  join GSI 50 m sheets of a zumei.csv index by code\n"
    "  render             draw the current DEM offscreen into PNG frames in DIR\n"
    "                     (hillglimmer-frames); --size up to 8192x8192 (640x480),\n"
    "                     --frames 1 to 100000 (1)\n"
    "  xscreensaver on|off  add Hillglimmer to XScreenSaver's display modes, or\n"
    "                     take it out again\n"
    "\n"
    "DEM types (from the extension, the working file's from the settings;\n"
    "info --type N overrides):\n",
    /* 203 */ "\tdraw into $XSCREENSAVER_WINDOW, else the root window",
    /* 204 */ "\tdraw in a window of its own",
    /* 205 */ "ID\tdraw into the X11 window ID",
    /* 206 */ "US\tmicroseconds between frames, {1} to {2} ({3})",
    /* 207 */ "\tshow the frame rate",
    /* 208 */ "NAME|N\tthe drawing style, by name or number {1} to {2}",
    /* 209 */ "{4}\taverage the DEM's posts in blocks of N x N",
    /* 210 */ "X\tthe altitude factor, {1} to {2}",
    /* 211 */ "X\tthe turning speed, {1} to {2}",
    /* 212 */ "METRES\tthe contour interval, {1} to {2}",
    /* 213 */ "FILE\tshow FILE where it lies, the whole DEM",
    /* 214 */ "VISUAL\taccepted and ignored",
    /* 215 */ "\taccepted and ignored",
    /* 216 */ "Reading {1} into the working file\u2026",
    /* 217 */ "Cancelled. The previous DEM is kept.",
    /* 218 */ "Cancel",
    /* 219 */ "{1} %",
    /* 220 */ "{1} s",
    /* 221 */ "The working file was replaced, but the settings could not be saved.",
    /* 222 */
    "The height file of this description was not found: {1} (names compared ignoring case).",
    /* 223 */ "Cannot write the settings file {1}. The previous DEM is kept.",
    /* 224 */ "An earlier change of the working file {1} cannot be completed.",
    /* 225 */ "Cannot replace the working file {1}: {2}.",
    /* 226 */ "The contour interval of {1} m gives this terrain more than {2} vertices to draw.",
    /* 227 */
    "A contour interval of {1} m would draw {2} line pieces on this terrain, more than can be "
    "held ({3}).",
    /* 228 */ "{1} Choose a larger interval, {2} m or more.",
    /* 229 */ "{1} No listed interval is coarse enough for this terrain: choose a coarser mesh.",
};

}  // namespace hg
