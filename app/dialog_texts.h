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

// Menu texts carry their mnemonics; shown, the & is an underline.
inline constexpr char kMenuFile[] = "文件(&File)";
inline constexpr char kMenuOpen[] = "打开图片(&Open)...";
inline constexpr char kMenuSave[] = "保存图片(&Save)...";
inline constexpr char kMenuAddShape[] = "添加形状(&Add shape)…";
inline constexpr char kMenuExit[] = "退出(E&xit)";
inline constexpr char kMenuOptions[] = "选项(O&ptions)";
inline constexpr char kMenuStamps[] = "水印网格(&Stamp grid)";
inline constexpr char kMenuHelp[] = "帮助(&Help)";
inline constexpr char kMenuAbout[] = "关于(&About)";

inline constexpr char kTitleWithPicture[] = "Quorvel — %1";
inline constexpr char kTipShapes[] = "选择形状(Choose the shape)";
inline constexpr char kTipApply[] = "变形整幅图片(Warp the whole picture), Enter; Esc 取消(cancels)";
inline constexpr char kTipActualSize[] = "实际大小, 拖动平移(Actual size; drag to pan)";
inline constexpr char kTipFeather[] = "羽化宽度 0-99 像素(Feather width, 0-99 pixels)";
inline constexpr char kFeatherLabel[] = "羽化(Feather):";
inline constexpr char kProgressFormat[] = "%p% (Esc 取消)";
inline constexpr char kCancelling[] = "正在取消...(Cancelling...)";
inline constexpr char kStatusSaved[] = "已保存(Saved): %1";
inline constexpr char kStatusCancelled[] = "变形已取消(Apply cancelled)";

// Adding and removing the user's own shapes.
inline constexpr char kAddShape[] = "添加形状(Add shape)…";
inline constexpr char kAddShapeCancel[] = "取消(Cancel)";
inline constexpr char kTipAddShape[] = "由 SVG 或 PNG 轮廓制作形状, 也可拖放到列表(Make a shape from an SVG or PNG outline; or drop one on the list)";
inline constexpr char kOutlineFilter[] = "轮廓(Outline) (*.svg;*.png)|*.svg;*.png||";
inline constexpr char kMakingShape[] = "正在制作形状...(Making the shape...) Esc 取消";
inline constexpr char kStatusShapeAdded[] = "已添加形状(Shape added): %1";
inline constexpr char kStatusAddCancelled[] = "添加形状已取消(Add shape cancelled)";
inline constexpr char kMsgShapeRefused[] = "无法制作形状.\r\nThe shape cannot be made: %1";
inline constexpr char kMsgNoShapeTool[] = "找不到形状工具 %1.\r\nThe shape tool %1 cannot be run.";
inline constexpr char kRemoveShape[] = "移除形状(Remove shape)";
inline constexpr char kTipUserShape[] = "%1 (我的形状, your own shape)";
inline constexpr char kAskDeleteShape[] = "%1 无法移到回收站, 要永久删除它吗?\r\n%1 cannot be moved to the trash. Delete it for good?";
inline constexpr char kDelete[] = "删除(Delete)";
inline constexpr char kMsgShapeNotRemoved[] = "无法移除 %1.\r\n%1 cannot be removed.";

// Questions; the second button is the safe default.
inline constexpr char kAskReplace[] = "%1 已存在, 要替换它吗?\r\n%1 already exists. Do you want to replace it?";
inline constexpr char kReplace[] = "替换(Replace)";
inline constexpr char kAskDiscard[] = "变形结果尚未保存, 要放弃它吗?\r\nThe warped result has not been saved. Discard it?";
inline constexpr char kDiscard[] = "放弃(Discard)";
inline constexpr char kCancel[] = "取消(Cancel)";

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
