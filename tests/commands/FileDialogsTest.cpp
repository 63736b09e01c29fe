// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/FileDialogs.h"
#include "commands/SaveDialog.h"
#include "support/FixtureTree.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace tallyvane {
namespace {

// A listing that reads a FIFO or /proc/kmsg never returns, and the model's destructor then
// waits for it forever: the watchdog ends the test program instead of letting it hang.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit)
        : m_thread([this, limit] {
              std::unique_lock lock(m_mutex);
              if (!m_done.wait_for(lock, limit, [this] { return m_finished; })) {
                  std::fputs("the file dialog's listing hung\n", stderr);
                  std::_Exit(1);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

struct Listing {
    QFileDialog dialog;
    QAbstractProxyModel* proxy = nullptr;
    QFileSystemModel* files = nullptr;

    explicit Listing(const QString& folder) : dialog(nullptr, QString(), QDir::rootPath())
    {
        prepareFileDialog(dialog);
        dialog.setFilter(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
        dialog.setDirectory(folder);
        proxy = dialog.proxyModel();
        files = qobject_cast<QFileSystemModel*>(proxy->sourceModel());
    }
    QString cell(const QString& path, int column) const
    {
        const QModelIndex source = files->index(path, column);
        return proxy->mapFromSource(source).data().toString();
    }
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(FileDialogs, ListsAFolderByNamesAloneInChinese)
{
    const Watchdog watchdog(std::chrono::seconds(60));
    test::FixtureTree tree;
    tree.makeFolder("sub");
    const QString top = QString::fromStdString(tree.path());
    ASSERT_EQ(mkfifo(tree.pathOf("pipe").c_str(), 0600), 0);
    // A picture without a suffix: only its contents say what it is.
    writeFile(top + QStringLiteral("/photo"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    writeFile(top + QStringLiteral("/notes.txt"), QByteArray(2048, 'x'));

    Listing listing(top);
    ASSERT_NE(listing.files, nullptr);
    // The type column is filled once the listing's thread has been past each file.
    for (const QString& name : {QStringLiteral("pipe"), QStringLiteral("photo"), QStringLiteral("sub")}) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !listing.cell(top + '/' + name, 2).isEmpty(); }, 10000))
            << name.toStdString();
    }

    EXPECT_EQ(listing.cell(top + QStringLiteral("/photo"), 2), QStringLiteral("文件"));
    EXPECT_EQ(listing.cell(top + QStringLiteral("/pipe"), 2), QStringLiteral("文件"));
    EXPECT_EQ(listing.cell(top + QStringLiteral("/notes.txt"), 2), QStringLiteral("TXT 文件"));
    EXPECT_EQ(listing.cell(top + QStringLiteral("/sub"), 2), QStringLiteral("文件夹"));
    EXPECT_EQ(listing.cell(top + QStringLiteral("/notes.txt"), 1), QStringLiteral("2KB"));
    EXPECT_EQ(listing.cell(top + QStringLiteral("/sub"), 1), QString());
    EXPECT_EQ(listing.cell(top + QStringLiteral("/pipe"), 1), QString());
    const QRegularExpression chineseDate(QStringLiteral("^\\d{4}/\\d{1,2}/\\d{1,2} \\d{1,2}:\\d{2}$"));
    EXPECT_TRUE(chineseDate.match(listing.cell(top + QStringLiteral("/sub"), 3)).hasMatch())
        << listing.cell(top + QStringLiteral("/sub"), 3).toStdString();

    QStringList captions;
    for (int column = 0; column < 4; ++column)
        captions << listing.proxy->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    EXPECT_EQ(captions,
              (QStringList{QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("类型"),
                           QStringLiteral("修改日期")}));
}

TEST(FileDialogs, ListsProcToTheEnd)
{
    if (!QFileInfo(QStringLiteral("/proc/self")).isDir())
        GTEST_SKIP() << "no /proc here";
    const Watchdog watchdog(std::chrono::seconds(60));
    Listing listing(QStringLiteral("/proc"));
    // kmsg blocks a reader as long as the kernel writes nothing; uptime is always readable.
    for (const QString& name : {QStringLiteral("kmsg"), QStringLiteral("uptime"), QStringLiteral("self")}) {
        if (QFileInfo::exists(QStringLiteral("/proc/") + name)) {
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return !listing.cell(QStringLiteral("/proc/") + name, 2).isEmpty(); }, 10000))
                << name.toStdString();
        }
    }
    EXPECT_EQ(listing.cell(QStringLiteral("/proc/uptime"), 2), QStringLiteral("文件"));
}

class SaveDialogFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = qgetenv("HOME");
        m_config = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QByteArray::fromStdString(m_tree.path()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_tree.pathOf("config")));
    }
    void TearDown() override
    {
        qputenv("HOME", m_home);
        qputenv("XDG_CONFIG_HOME", m_config);
    }
    QString path(const std::string& relative) const { return QString::fromStdString(m_tree.pathOf(relative)); }

    test::FixtureTree m_tree;
    QByteArray m_home;
    QByteArray m_config;
};

TEST_F(SaveDialogFolder, LastFolderElseDocumentsElseHome)
{
    EXPECT_EQ(saveDialogFolder(QString()), QString::fromStdString(m_tree.path()));
    m_tree.makeFolder("Documents");
    EXPECT_EQ(saveDialogFolder(QString()), path("Documents"));
    m_tree.makeFolder("reports");
    EXPECT_EQ(saveDialogFolder(path("reports")), path("reports"));
    EXPECT_EQ(saveDialogFolder(path("gone")), path("Documents"));
}

// Answers the modal dialog the next time one opens: records its folder, then saves name there
// or cancels.
void answerDialog(QString& folder, const QString& name)
{
    QTimer::singleShot(0, [&folder, name] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        folder = dialog->directory().absolutePath();
        if (name.isEmpty()) {
            dialog->reject();
        } else {
            dialog->selectFile(name);
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
}

TEST_F(SaveDialogFolder, OpensInDocumentsThenWhereTheUserLastSaved)
{
    m_tree.makeFolder("Documents");
    m_tree.makeFolder("reports");
    QtSaveDialog dialog;
    QString opened;
    answerDialog(opened, path("reports/tree.html"));
    EXPECT_EQ(dialog.askFileName(nullptr, QStringLiteral("html"), QStringLiteral("*.html")), path("reports/tree.html"));
    EXPECT_EQ(opened, path("Documents"));

    answerDialog(opened, QString());
    EXPECT_EQ(dialog.askFileName(nullptr, QStringLiteral("txt"), QStringLiteral("*.txt")), std::nullopt);
    EXPECT_EQ(opened, path("reports"));
}

} // namespace
} // namespace tallyvane
