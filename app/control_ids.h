// Numeric ids of the dialogs' controls, menu items and resources. Every
// control carries its id (property "controlId", object name "id<N>"), so
// commands are routed, and tests find controls, by number.
#pragma once

namespace quorvel::ids {

// Main dialog 102
inline constexpr int kApply = 3;
inline constexpr int kOpen = 1009;
inline constexpr int kSave = 1010;
inline constexpr int kShapeDropDown = 1011;
inline constexpr int kShowSrc = 1012;
inline constexpr int kShowDst = 1013;
inline constexpr int kShowBoth = 1014;
inline constexpr int kHorizontal = 1015;
inline constexpr int kVertical = 1016;
inline constexpr int kAngleSlider = 1017;
inline constexpr int kActualSize = 1018;
inline constexpr int kAngleLabel = 1019;
inline constexpr int kRedSlider = 1020;
inline constexpr int kRedLetter = 1021;
inline constexpr int kRedLabel = 1022;
inline constexpr int kGreenSlider = 1023;
inline constexpr int kGreenLetter = 1024;
inline constexpr int kGreenLabel = 1025;
inline constexpr int kBlueSlider = 1026;
inline constexpr int kBlueLetter = 1027;
inline constexpr int kBlueLabel = 1028;
inline constexpr int kPleaseWait = 1029;
inline constexpr int kFeatherEdit = 1030;
inline constexpr int kShapeButton = 1031;
inline constexpr int kPolylineButton = 1032;
inline constexpr int kPictureButton = 1033;
inline constexpr int kReadPolysButton = 1034;
inline constexpr int kPolyToShpButton = 1035;
inline constexpr int kLoadingText = 1036;
inline constexpr int kDownload = 1037;
inline constexpr int kViewFrame = 1038;
inline constexpr int kSettingsGroup = 1039;
inline constexpr int kDisplayLabel = 1040;
inline constexpr int kDetailLabel = 1041;
inline constexpr int kAngleHeading = 1042;
inline constexpr int kColourHeading = 1043;
inline constexpr int kSwatchFrame = 1044;
inline constexpr int kPreviewLabel = 1045;
// Controls this port adds.
inline constexpr int kApplyProgress = 1046;
inline constexpr int kStatusText = 1047;
inline constexpr int kFeatherLabel = 1048;
inline constexpr int kAddShapeButton = 1049;  // in the shape list panel
// Labels without an id of their own.
inline constexpr int kStatic = -1;

// Menu 130
inline constexpr int kMenuOpen = 32771;
inline constexpr int kMenuSave = 32772;
inline constexpr int kMenuExit = 32773;
inline constexpr int kMenuAbout = 32774;
inline constexpr int kMenuStamps = 32775;
inline constexpr int kMenuAddShape = 32776;

// About dialog 131
inline constexpr int kAboutOk = 1;
inline constexpr int kAboutDownload = 1007;
inline constexpr int kAboutPhone = 1008;
inline constexpr int kAboutEmail = 1009;
inline constexpr int kAboutAddress = 1010;

// BMP options dialog 143
inline constexpr int kBmpOk = 1;
inline constexpr int kBmpCancel = 2;
inline constexpr int kBmp24 = 1037;
inline constexpr int kBmp32X = 1038;
inline constexpr int kBmp32A = 1039;

}  // namespace quorvel::ids
