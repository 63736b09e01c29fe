// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/PropertiesDialog.h"

#include "analysis/DiskUsageSum.h"
#include "analysis/EntryTargets.h"
#include "platform/FileFacts.h"
#include "platform/FileNames.h"
#include "presentation/SizeText.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <memory>
#include <optional>

namespace tallyvane {
namespace {

// Entries asked per turn of the event loop while a folder's size on disk is summed.
constexpr int DiskUsageStep = 2000;

QString kindText(FileKind kind)
{
    switch (kind) {
    case FileKind::File:
        return QStringLiteral("文件");
    case FileKind::Folder:
        return QStringLiteral("文件夹");
    case FileKind::Symlink:
        return QStringLiteral("符号链接");
    case FileKind::BlockDevice:
        return QStringLiteral("块设备");
    case FileKind::CharacterDevice:
        return QStringLiteral("字符设备");
    case FileKind::Fifo:
        return QStringLiteral("命名管道");
    case FileKind::Socket:
        return QStringLiteral("套接字");
    case FileKind::Other:
        break;
    }
    return QStringLiteral("其他");
}

// "1.2MB (1,234,567 字节)". The grid leaves a count of 0 blank; here it has to be said.
QString sizeText(std::int64_t size)
{
    const std::string bytes = size == 0 ? std::string("0") : ByteCountText(size);
    return QStringLiteral("%1 (%2 字节)").arg(QString::fromStdString(SizeToText(size)), QString::fromStdString(bytes));
}

QString contentsText(const EntryTree& tree, EntryId folder)
{
    qulonglong files = 0;
    qulonglong folders = 0;
    for (EntryId e = tree.FirstChildEntry(folder); e != NoEntry; e = tree.NextEntryWithin(e, folder))
        ++(tree.isFolder(e) ? folders : files);
    return QStringLiteral("%1 个文件，%2 个文件夹").arg(files).arg(folders);
}

QString timeText(std::chrono::system_clock::time_point time)
{
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch());
    return QDateTime::fromMSecsSinceEpoch(milliseconds.count()).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

PropertiesDialog::PropertiesDialog(const EntryTree& tree, EntryId entry, FileFactsSource& files, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("属性 - ") + DecodeFileName(tree.name(entry)));
    const std::string path = TargetsOf(tree, entry).openPath;
    const std::optional<FileFacts> facts = files.factsOf(path);
    const bool folder = tree.isFolder(entry);

    auto* form = new QFormLayout;
    const auto addRow = [&](const char* name, const QString& caption, const QString& text) {
        auto* value = new QLabel(text, this);
        value->setObjectName(QLatin1String(name));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, value);
    };
    addRow("path", QStringLiteral("路径："), DecodeFileName(path));
    if (!facts)
        addRow("state", QStringLiteral("状态："), QStringLiteral("已不存在"));
    addRow("type", QStringLiteral("类型："),
           facts ? kindText(facts->kind) : kindText(folder ? FileKind::Folder : FileKind::File));
    // A folder's own length says nothing of its contents: its size is the analysis's sum.
    addRow("size", QStringLiteral("大小："), sizeText(folder || !facts ? tree.size(entry) : facts->size));
    if (facts && !folder)
        addRow("sizeOnDisk", QStringLiteral("占用空间："), sizeText(facts->sizeOnDisk));
    if (facts && folder) {
        // What the contents take on disk only a new walk tells; it runs in steps while the
        // dialog is open, and closing the dialog stops it.
        addRow("sizeOnDisk", QStringLiteral("占用空间："), QStringLiteral("正在计算…"));
        auto* shownSum = findChild<QLabel*>(QStringLiteral("sizeOnDisk"));
        auto sum = std::make_shared<DiskUsageSum>(tree, entry, files);
        auto* steps = new QTimer(this);
        connect(steps, &QTimer::timeout, this, [steps, shownSum, sum] {
            if (!sum->step(DiskUsageStep))
                return;
            steps->stop();
            shownSum->setText(sizeText(sum->total()));
        });
        steps->start(0);
    }
    if (folder)
        addRow("contents", QStringLiteral("包含："), contentsText(tree, entry));
    if (facts) {
        addRow("modified", QStringLiteral("修改时间："), timeText(facts->modified));
        addRow("owner", QStringLiteral("所有者："), QString::fromStdString(facts->owner));
        addRow("group", QStringLiteral("组："), QString::fromStdString(facts->group));
        addRow("permissions", QStringLiteral("权限："), QString::fromStdString(facts->permissions));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

} // namespace tallyvane
