// Texts the window shows, exactly as the user sees them (UTF-8).
#pragma once

namespace quorvel::texts {

inline constexpr char kMessageCaption[] = "提示";
inline constexpr char kMsgNoResult[] = "必须先生成变形图像.\r\nPlease generate deformed image first.";

inline constexpr char kMainTitle[] = "Quorvel";
inline constexpr char kLoading[] = "正在加载资源请等待(loading resource)...";
inline constexpr char kPleaseWait[] = "请等待...(Please wait...)";
inline constexpr char kApply[] = "变形(Apply)";

inline constexpr char kTipOpen[] = "打开图片(Open picture)";
inline constexpr char kTipSave[] = "保存变形图片(Save Result picture)";
inline constexpr char kTipDownload[] = "下载形状等资源(Download shapes and doc.)";

inline constexpr char kMenuFile[] = "文件(File)";
inline constexpr char kMenuOpen[] = "打开图片(Open)...";
inline constexpr char kMenuSave[] = "保存图片(Save)...";
inline constexpr char kMenuExit[] = "退出(Exit)";
inline constexpr char kMenuHelp[] = "帮助(Help)";
inline constexpr char kMenuAbout[] = "关于(About)";

// About dialog. The contact details and the address are ours; the address
// lies under a domain reserved for examples until a real page exists.
inline constexpr char kAboutTitle[] = "关于(About)";
inline constexpr char kVersionLabel[] = "版本(Version):";
inline constexpr char kVersion[] = "1.00";
inline constexpr char kPhoneLabel[] = "电话(Phone):";
inline constexpr char kEmailLabel[] = "EMAIL:";
inline constexpr char kDownloadLabel[] = "软件文档，形状资源等下载(Documents, shapes to download):";
inline constexpr char kToDownload[] = "去下载(To download)...";
inline constexpr char kAboutExit[] = "退出(EXIT)";
inline constexpr char kContactPhone[] = "+00 000 0000 0000";
inline constexpr char kContactEmail[] = "help@quorvel.example.org";
inline constexpr char kDownloadAddress[] = "https://quorvel.example.org/download";

// BMP options dialog
inline constexpr char kBmpTitle[] = "BMP选项";
inline constexpr char kBmpOk[] = "确定";
inline constexpr char kBmpCancel[] = "取消";
inline constexpr char kBmp24[] = "24位 R8 G8 B8";
inline constexpr char kBmp32X[] = "32位 X8 R8 G8 B8";
inline constexpr char kBmp32A[] = "32位 A8 R8 G8 B8";

}  // namespace quorvel::texts
