// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileNames.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace tallyvane {

QString DecodeFileName(std::string_view bytes)
{
    // Qt decodes file names as UTF-8 on this platform; this spares the copy into a QByteArray.
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string EncodeFileName(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

std::string AbsolutePath(std::string_view path)
{
    std::string joined;
    if (!path.starts_with('/')) {
        char* current = ::getcwd(nullptr, 0);
        if (current) {
            joined = current;
            std::free(current);
        }
        joined += '/';
    }
    joined += path;

    std::vector<std::string_view> parts;
    std::string_view rest = joined;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string clean;
    for (const std::string_view part : parts) {
        clean += '/';
        clean += part;
    }
    return clean.empty() ? std::string("/") : clean;
}

bool MakeFolders(const std::string& folder)
{
    if (folder.empty() || ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST)
        return true;
    if (errno != ENOENT)
        return false;
    const std::size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return false;
    return MakeFolders(folder.substr(0, slash)) && (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST);
}

QUrl LocalFileUrl(std::string_view path)
{
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

std::optional<std::string> LocalFilePath(const QUrl& url)
{
    if (!url.isLocalFile())
        return std::nullopt;
    // Fully encoded, the path keeps every byte, decodable or not, as a percent sequence.
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

} // namespace tallyvane
