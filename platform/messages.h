#pragma once

#include <string>

namespace hg {

enum class Language { English, Japanese };

inline constexpr int kMessageCount = 104;

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
    RasterNotPlainFile = 93,
    RasterNotRegularFile = 94,
    RasterFormatRefused = 95,
    RasterNoBand = 96,
    RasterNoGeoreference = 97,
    RasterNotNorthUp = 98,
    RasterNotPlaceable = 99,
    RasterGridSize = 100,
    DemSpacing = 101,
    DemNoHeights = 102,
    RasterReadFailed = 103,
    SettingsNotReadWhole = 104,
};
static_assert(static_cast<int>(MessageId::SettingsNotReadWhole) == kMessageCount);

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

// The text shown for a failure that carries no message of its own.
std::string unknownErrorText();

// The text shown when memory runs out; the library's own text for that
// ("std::bad_alloc") means nothing to a user.
std::string outOfMemoryText();

}  // namespace hg
