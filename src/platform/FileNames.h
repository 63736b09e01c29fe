// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

#include <optional>
#include <string>
#include <string_view>

namespace tallyvane {

// File names are kept as the bytes the file system gives. These convert them for display and
// back; bytes that do not decode show as replacement characters.
QString DecodeFileName(std::string_view bytes);
std::string EncodeFileName(const QString& name);

// path made absolute against the working folder, without resolving links: "." and ".."
// components are taken away by name, as a shell's cd does. An absolute path is only cleaned so.
std::string AbsolutePath(std::string_view path);

// Makes folder and the folders above it that are missing, each readable by its owner only, as
// the desktop's base folders are made. True when the folder exists afterwards.
bool MakeFolders(const std::string& folder);

// The file: URL of an absolute path, every byte of it kept: bytes that are not valid UTF-8
// stay percent-encoded as they are, where QUrl::fromLocalFile would need a decoded name.
QUrl LocalFileUrl(std::string_view path);

// The path of a local file: URL as bytes, the inverse of LocalFileUrl; none for other URLs.
std::optional<std::string> LocalFilePath(const QUrl& url);

} // namespace tallyvane
