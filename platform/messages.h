// SPDX-License-Identifier: MIT
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace hg {

enum class Language { English, Japanese };

inline constexpr int kMessageCount = 229;

// The numbered user messages; each number indexes the tables in resources/.
enum class MessageId : int {
    Title = 1,
    IllegalSheetIndex = 2,
    SheetsNotJoinedNorthSouth = 3,
    SheetsNotJoinedEastWest = 4,
    WorkingFileWrite = 5,
    Dhm25NoNewHeader = 6,
    Dhm25NoNorthWest = 7,
    Dhm25NoSouthEast = 8,
    Dhm25NoMeshWidth = 9,
    Dhm25NoDimensions = 10,
    Dhm25NoHeightRange = 11,
    Dhm25NoRecordLength = 12,
    Dhm25NoEndHeader = 13,
    IllegalMatrix = 14,
    IllegalRiminiDat = 15,
    WorkingFileMissing = 16,
    IllegalWorkingFile = 17,
    IllegalDem = 18,
    IllegalLineEnd = 19,
    SpecifyDem = 20,
    IllegalSheetCount = 21,
    NoOpenGL = 22,
    IllegalDdf = 23,
    Cel0Open = 24,
    Cel0DescriptiveRecord = 25,
    Cel0ReadSubfield = 26,
    Cel0CheckSubfield = 27,
    DdomOpen = 28,
    DdomDescriptiveRecord = 29,
    DdomReadSubfield = 30,
    DdomCheckSubfield = 31,
    DdshOpen = 32,
    DdshDescriptiveRecord = 33,
    DdshReadSubfield = 34,
    DdshCheckSubfield = 35,
    IdenOpen = 36,
    IdenDescriptiveRecord = 37,
    IdenReadSubfield = 38,
    IdenCheckSubfield = 39,
    IrefOpen = 40,
    IrefDescriptiveRecord = 41,
    IrefReadSubfield = 42,
    IrefCheckSubfield = 43,
    LdefOpen = 44,
    LdefDescriptiveRecord = 45,
    LdefReadSubfield = 46,
    LdefCheckSubfield = 47,
    RsdfOpen = 48,
    RsdfDescriptiveRecord = 49,
    RsdfReadSubfield = 50,
    RsdfCheckSubfield = 51,
    SpdmOpen = 52,
    SpdmDescriptiveRecord = 53,
    SpdmReadSubfield = 54,
    SpdmCheckSubfield = 55,
    XrefOpen = 56,
    XrefDescriptiveRecord = 57,
    XrefReadSubfield = 58,
    XrefCheckSubfield = 59,
    SdtsTooManyRows = 60,
    SdtsVoidOrFill = 61,
    SdtsWrite = 62,
    IllegalNtf = 63,
    NtfNoVolumeHeader = 64,
    NtfNoDatabaseHeader = 65,
    NtfNoSectionHeader = 66,
    NtfNoGridHeader = 67,
    NtfGridData = 68,
    NtfRecordData = 69,
    ZeroNormal = 70,
    IllegalCsv = 71,
    CsvNoColumns = 72,
    CsvNoRows = 73,
    CsvNoSouthWestLatitudeDegrees = 74,
    CsvNoSouthWestLatitudeMinutes = 75,
    CsvNoSouthWestLatitudeSeconds = 76,
    CsvNoSouthWestLongitudeDegrees = 77,
    CsvNoSouthWestLongitudeMinutes = 78,
    CsvNoSouthWestLongitudeSeconds = 79,
    CsvNoNorthEastLatitudeDegrees = 80,
    CsvNoNorthEastLatitudeMinutes = 81,
    CsvNoNorthEastLatitudeSeconds = 82,
    CsvNoNorthEastLongitudeDegrees = 83,
    CsvNoNorthEastLongitudeMinutes = 84,
    CsvNoNorthEastLongitudeSeconds = 85,
    CsvNoName = 86,
    CsvNoSouthWestX = 87,
    CsvNoSouthWestY = 88,
    CsvNoNorthEastX = 89,
    CsvNoNorthEastY = 90,
    CsvNoZone = 91,
    IllegalGsi10mDat = 92,
    // hillglimmer xscreensaver on|off; each is followed by the file's path.
    XssAdded = 93,
    XssAlreadyListed = 94,
    XssRemoved = 95,
    XssRemovedFile = 96,
    XssNotListed = 97,
    XssCannotRead = 98,
    XssCannotWrite = 99,
    // Where a DEM's corners are shown.
    CornersStatePlane = 100,
    CornersOtherProjection = 101,
    CornersFailed = 102,
    DatumNamed = 103,
    DatumAssumed = 104,
    // The program's own texts beyond the numbered messages: usage, refusals,
    // command output. "{1}", "{2}"... stand for the arguments of formatMessage.
    Usage = 105,
    Help = 106,
    SeeHelp = 107,
    UnknownCommand = 108,
    UnknownOption = 109,
    PreviewNeedsWindow = 110,
    NoHomeDirectory = 111,
    SetupNeedsDisplay = 112,
    SaverNeedsDisplay = 113,
    CannotOpenDisplay = 114,
    SaverReachesNoDisplay = 115,
    NoX11Window = 116,
    NoStyleNumber = 117,
    NoGlContext = 118,
    ReliefNotDrawn = 119,
    CannotWriteFile = 120,
    NotEnoughMemoryToRead = 121,
    InfoUsage = 122,
    InfoImported = 123,
    InfoFile = 124,
    InfoType = 125,
    InfoTitle = 126,
    InfoSize = 127,
    InfoCorners = 128,
    InfoSouthWest = 129,
    InfoNorthWest = 130,
    InfoNorthEast = 131,
    InfoSouthEast = 132,
    InfoCornerArcSeconds = 133,
    InfoSpacingEastWest = 134,
    InfoSpacingNorthSouth = 135,
    InfoHeights = 136,
    InfoNoHeights = 137,
    InfoVoids = 138,
    InfoFractalDimension = 139,
    RenderUsage = 140,
    NoStyleNamed = 141,
    WroteOneFrame = 142,
    WroteFrames = 143,
    SelectUsage = 144,
    NoSheetWithCode = 145,
    SaverNowShows = 146,
    AlreadyWorkingFile = 147,
    XssUsage = 148,
    OptionRefused = 149,
    StylesAre = 150,
    MeshValues = 151,
    RangeValues = 152,
    ContourValues = 153,
    NoSuchFile = 154,
    ImportedNotInPlace = 155,
    WindowIdNeeded = 156,
    DelayNeedsMicroseconds = 157,
    OptionNeedsValue = 158,
    NotEnoughMemory = 159,
    HelpImported = 160,
    HelpOtherNames = 161,
    // Rasters and settings refused as files from strangers may be.
    RasterNotPlainFile = 162,
    RasterNotRegularFile = 163,
    RasterFormatRefused = 164,
    RasterNoBand = 165,
    RasterNoGeoreference = 166,
    RasterNotNorthUp = 167,
    RasterNotPlaceable = 168,
    RasterGridSize = 169,
    DemSpacing = 170,
    DemNoHeights = 171,
    RasterReadFailed = 172,
    SettingsNotReadWhole = 173,
    // Texts of the renderer, the picture writer and the DEM readers.
    FramesNegative = 174,
    TerrainNotDrawn = 175,
    CannotCreateFolder = 176,
    FrameNotDrawn = 177,
    UnknownError = 178,
    OffscreenSize = 179,
    NoOffscreenContext = 180,
    EglNoSurfaceless = 181,
    EglNoPlatformDisplay = 182,
    EglNoConfig = 183,
    EglStepFailed = 184,
    CompressFailed = 185,
    CannotCopyFile = 186,
    SettingsNotWritten = 187,
    DemTooSmall = 188,
    PreviousDemKept = 189,
    CannotCopyKept = 190,
    CannotReadFile = 191,
    ChooseSheetsByCode = 192,
    NoReaderForDem = 193,
    FormatGsi50m = 194,
    FormatUsgsDem = 195,
    FormatSdts = 196,
    FormatDhm25 = 197,
    FormatNtf = 198,
    FormatRimini = 199,
    FormatGsi10m = 200,
    FormatGdal = 201,
    // --help after the hack options, and one line per hack option:
    // "ARGUMENT\tdescription" (see shell/hack_options.h).
    HelpAfterOptions = 202,
    HelpOptionRoot = 203,
    HelpOptionWindow = 204,
    HelpOptionWindowId = 205,
    HelpOptionDelay = 206,
    HelpOptionFps = 207,
    HelpOptionStyle = 208,
    HelpOptionMesh = 209,
    HelpOptionAltitude = 210,
    HelpOptionSpeed = 211,
    HelpOptionContour = 212,
    HelpOptionDem = 213,
    HelpOptionVisual = 214,
    HelpOptionIgnored = 215,
    // The progress of a long copy or import and its cancel.
    ImportReading = 216,
    ImportCancelledNote = 217,
    ProgressCancel = 218,
    ProgressPercent = 219,
    ProgressSeconds = 220,
    // Changing the working file.
    SettingsNotSavedDemReplaced = 221,
    Gsi10mDataNotFound = 222,
    SettingsNotWrittenKept = 223,
    EarlierChangeStuck = 224,
    CannotReplaceWorkingFile = 225,
    // Contour intervals too fine for the terrain, and the advice after them.
    StepBudget = 226,
    ContourBudget = 227,
    ChooseLargerInterval = 228,
    NoListedIntervalFits = 229,
};
static_assert(static_cast<int>(MessageId::NoListedIntervalFits) == kMessageCount);

// What went wrong in one module of a transfer; every module has the same
// four failures, each with its own text.
struct ModuleMessages {
    MessageId open;
    MessageId descriptiveRecord;
    MessageId readSubfield;
    MessageId checkSubfield;
};

inline constexpr ModuleMessages kCel0Messages{MessageId::Cel0Open, MessageId::Cel0DescriptiveRecord,
                                              MessageId::Cel0ReadSubfield,
                                              MessageId::Cel0CheckSubfield};
inline constexpr ModuleMessages kDdomMessages{MessageId::DdomOpen, MessageId::DdomDescriptiveRecord,
                                              MessageId::DdomReadSubfield,
                                              MessageId::DdomCheckSubfield};
inline constexpr ModuleMessages kDdshMessages{MessageId::DdshOpen, MessageId::DdshDescriptiveRecord,
                                              MessageId::DdshReadSubfield,
                                              MessageId::DdshCheckSubfield};
inline constexpr ModuleMessages kIdenMessages{MessageId::IdenOpen, MessageId::IdenDescriptiveRecord,
                                              MessageId::IdenReadSubfield,
                                              MessageId::IdenCheckSubfield};
inline constexpr ModuleMessages kIrefMessages{MessageId::IrefOpen, MessageId::IrefDescriptiveRecord,
                                              MessageId::IrefReadSubfield,
                                              MessageId::IrefCheckSubfield};
inline constexpr ModuleMessages kLdefMessages{MessageId::LdefOpen, MessageId::LdefDescriptiveRecord,
                                              MessageId::LdefReadSubfield,
                                              MessageId::LdefCheckSubfield};
inline constexpr ModuleMessages kRsdfMessages{MessageId::RsdfOpen, MessageId::RsdfDescriptiveRecord,
                                              MessageId::RsdfReadSubfield,
                                              MessageId::RsdfCheckSubfield};
inline constexpr ModuleMessages kSpdmMessages{MessageId::SpdmOpen, MessageId::SpdmDescriptiveRecord,
                                              MessageId::SpdmReadSubfield,
                                              MessageId::SpdmCheckSubfield};
inline constexpr ModuleMessages kXrefMessages{MessageId::XrefOpen, MessageId::XrefDescriptiveRecord,
                                              MessageId::XrefReadSubfield,
                                              MessageId::XrefCheckSubfield};

// HILLGLIMMER_LANG, else the first set of LC_ALL, LC_MESSAGES, LANG;
// Japanese when it starts with "ja".
Language userLanguage();

// UTF-8 text of a message in the given language; empty for a number
// outside the enumeration.
const char* messageText(MessageId id, Language language);

// The text of message id in the user's language. Each call returns its own
// string: no caller can overwrite another's text.
std::string loadMessage(MessageId id);

// text with "{1}" to "{9}" replaced by the arguments in order; a number
// past the arguments stays as written, so a missing argument shows.
std::string fillArguments(std::string_view text, std::initializer_list<std::string_view> args);

// The text of message id in the user's language with its arguments filled
// in. Figures are passed already formatted by text_number, so the words
// move with the language and the numbers never follow the locale.
std::string formatMessage(MessageId id, std::initializer_list<std::string_view> args = {});

// The text shown for a failure that carries no message of its own.
std::string unknownErrorText();

// The text shown when memory runs out; the library's own text for that
// ("std::bad_alloc") means nothing to a user.
std::string outOfMemoryText();

}  // namespace hg
