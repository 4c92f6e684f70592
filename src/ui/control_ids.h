// Identifiers of the main window's controls, as the dialog template gives
// them, and the system command of the About entry.
#pragma once

namespace zeltlog::ui::id {

inline constexpr int kOk = 1;
inline constexpr int kZeltLog = 1000;
inline constexpr int kGoogleEarth = 1001;
inline constexpr int kZeltDisp = 1002;
inline constexpr int kRecordCount = 1003;
inline constexpr int kEventList = 1004;
inline constexpr int kLineCheck = 1005;
inline constexpr int kSwathCheck = 1006;
inline constexpr int kMarksCheck = 1007;
inline constexpr int kShapeCheck = 1008;
inline constexpr int kJobToKml = 1009;
inline constexpr int kKmlToJob = 1010;
inline constexpr int kQgis = 1011;
inline constexpr int kChosenPath = 1012;
inline constexpr int kBoundariesCheck = 1013;
inline constexpr int kMapReport = 1014;
inline constexpr int kGoogleMaps = 1015;
inline constexpr int kPositionFormat = 1016;
inline constexpr int kDebugCheck = 1017;
inline constexpr int kExport = 1018;
inline constexpr int kDebugButton = 1019;
inline constexpr int kShapeWithTable = 1020;
inline constexpr int kBin1ToKml = 1021;
inline constexpr int kHtmlCheck = 1022;
inline constexpr int kForeAftField = 1023;
inline constexpr int kForeAftSpin = 1024;
inline constexpr int kBrowserButton = 1025;
inline constexpr int kMapsOfKml = 1026;
inline constexpr int kWebBrowser = 1027;
inline constexpr int kTracking = 1028;
inline constexpr int kBottomText = 1029;
inline constexpr int kRq7 = 1033;
inline constexpr int kSprayProjection = 1034;
inline constexpr int kSpraySpin = 1035;
inline constexpr int kVehicle = 1036;
inline constexpr int kIntField = 1037;
inline constexpr int kDoubleField = 1038;
// The job's record, its TASKDATA and the season archive.
inline constexpr int kRecordPdf = 1039;
inline constexpr int kTaskData = 1040;
inline constexpr int kJobInfo = 1041;
inline constexpr int kArchiveCheck = 1042;

// The refresh timer's number.
inline constexpr int kRefreshTimer = 1;
// The About entry of the system menu; every system command from 16 to 31
// opens the About box.
inline constexpr int kAboutCommand = 16;

}  // namespace zeltlog::ui::id
