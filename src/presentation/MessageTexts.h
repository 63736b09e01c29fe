// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The texts of the window's messages and run states, UTF-8. A "\r" breaks the line in a box.

namespace tallyvane {

inline constexpr char MsgCaption[] = "提示信息";
inline constexpr char MsgBusy[] = "正在扫描，请先取消!";
inline constexpr char MsgExit[] = "您确认要退出磁盘空间分析软件?";
inline constexpr char MsgRows[] = "行";
inline constexpr char MsgCount[] = "统计";
inline constexpr char MsgSelectFolder[] = "请选择文件夹!";
inline constexpr char MsgDone[] = "完成";
inline constexpr char MsgScanning[] = "正在扫描";
inline constexpr char MsgCancelled[] = "取消";
inline constexpr char MsgOpenError[] = "打开错误！\r磁盘或文件夹：";
inline constexpr char MsgScanError[] = "扫描文件夹错误!\r";
inline constexpr char MsgMinutes[] = "分钟";
inline constexpr char MsgSeconds[] = "秒";
inline constexpr char MsgImportedEntry[] = "此条目来自导入的扫描结果，本机上没有对应的文件。";
inline constexpr char MsgImportError[] = "无法导入扫描结果：";

// The caption of the program's error box and of its exit question.
inline constexpr char ProgramCaption[] = "Tallyvane";

} // namespace tallyvane
