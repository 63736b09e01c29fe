// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/SystemIcons.h"
#include "support/FixtureTree.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

using test::FixtureTree;

TEST(FreedesktopIconList, IndexesFollowTheOrderIconsAreFirstAskedFor)
{
    FreedesktopIconList list;
    EXPECT_EQ(list.systemIndexOfFile("a.txt"), 0);
    EXPECT_EQ(list.systemIndexOfFolder(false), 1);
    EXPECT_EQ(list.systemIndexOfFile("b.png"), 2);
    EXPECT_EQ(list.systemIndexOfFolder(true), 3);

    EXPECT_EQ(list.systemIndexOfFile("c.txt"), 0);
    EXPECT_EQ(list.systemIndexOfFolder(false), 1);
    EXPECT_EQ(list.systemIndexOfFile("b.png"), 2);
    EXPECT_EQ(list.systemIndexOfFolder(true), 3);

    EXPECT_EQ(list.iconName(0), "text-plain");
    EXPECT_EQ(list.iconName(1), "folder");
    EXPECT_EQ(list.iconName(2), "image-png");
    EXPECT_EQ(list.iconName(3), "folder-open");
    EXPECT_EQ(list.iconName(4), "");
    EXPECT_EQ(list.iconName(-1), "");
}

// Names whose types a cache keyed on the last extension, a lower-cased one or the name's
// decoding could confuse.
const std::vector<std::pair<std::string, QString>> kIconsByName = {
    {"a.txt", "text-plain"},
    {"NOTES.TXT", "text-plain"},
    {"caf\xE9.txt", "text-plain"}, // not valid UTF-8
    {"photo.png", "image-png"},
    {"backup.tar.gz", "application-x-compressed-tar"},
    {"single.gz", "application-gzip"},
    {"CMakeLists.txt", "text-x-cmake"},
    {"main.c", "text-x-csrc"},
    {"main.C", "text-x-c++src"},
    {"Makefile", "text-x-makefile"},
    {"unknown.zzq", "application-octet-stream"},
    {"no-extension", "application-octet-stream"},
    {"", "application-octet-stream"},
};

TEST(FreedesktopIconList, GivesEachTypeItsMimeIconWhateverTheOrderOfAsking)
{
    for (const bool reversed : {false, true}) {
        FreedesktopIconList list;
        std::map<QString, int> indexByIcon;
        auto ask = [&](const std::pair<std::string, QString>& named) {
            const int index = list.systemIndexOfFile(named.first);
            EXPECT_EQ(list.iconName(index), named.second) << named.first;
            // One index per icon: equal icons share it, different ones never do.
            EXPECT_EQ(indexByIcon.emplace(named.second, index).first->second, index) << named.first;
        };
        for (int pass = 0; pass < 2; ++pass) {
            if (reversed)
                std::for_each(kIconsByName.rbegin(), kIconsByName.rend(), ask);
            else
                std::for_each(kIconsByName.begin(), kIconsByName.end(), ask);
        }
        std::set<int> distinct;
        for (const auto& [icon, index] : indexByIcon)
            distinct.insert(index);
        EXPECT_EQ(distinct.size(), indexByIcon.size());
    }
}

// Makes a folder the current one for a test and goes back afterwards.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& path) : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(QString::fromStdString(path));
    }
    ~CurrentFolder() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
};

TEST(FreedesktopIconList, DecidesByTheNameAloneWithoutLookingAtTheFile)
{
    // Read, "picture" would be a PNG image and "album.png" a folder.
    FixtureTree tree;
    std::ofstream(tree.pathOf("picture"), std::ios::binary) << "\x89PNG\r\n\x1a\n";
    tree.makeFolder("album.png");
    const CurrentFolder current(tree.path());

    FreedesktopIconList list;
    EXPECT_EQ(list.iconName(list.systemIndexOfFile("picture")), "application-octet-stream");
    EXPECT_EQ(list.iconName(list.systemIndexOfFile("album.png")), "image-png");
}

TEST(FreedesktopIconList, KeepsItsIndexesHoweverManyNamesItIsAskedAbout)
{
    FreedesktopIconList list;
    const int text = list.systemIndexOfFile("a.txt");
    const int folder = list.systemIndexOfFolder(false);
    const int unknown = list.systemIndexOfFile("a");

    for (int i = 0; i < 5000; ++i) {
        const std::string number = std::to_string(i);
        ASSERT_EQ(list.systemIndexOfFile(number + ".txt"), text);
        ASSERT_EQ(list.systemIndexOfFile(number), unknown);
    }
    EXPECT_EQ(list.systemIndexOfFile("a.txt"), text);
    EXPECT_EQ(list.systemIndexOfFile("a"), unknown);
    EXPECT_EQ(list.systemIndexOfFolder(false), folder);
    EXPECT_EQ(list.systemIndexOfFile("b.png"), 3);
}

QColor centreOf(const QIcon& icon)
{
    const QImage image = icon.pixmap(QSize(16, 16), 1.0).toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

void saveSolid(const std::string& path, const QColor& colour)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path), "PNG")) << path;
}

// Icons need an application object, and the theme a test sets must not outlive it.
class FreedesktopIconListIcons : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (QGuiApplication::instance())
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "platform_tests";
        static char* argv[] = {name, nullptr};
        s_application = std::make_unique<QGuiApplication>(argc, argv);
    }

    static void TearDownTestSuite() { s_application.reset(); }

    void SetUp() override
    {
        m_searchPaths = QIcon::themeSearchPaths();
        m_themeName = QIcon::themeName();
        m_fallbackName = QIcon::fallbackThemeName();
    }

    void TearDown() override
    {
        QIcon::setThemeSearchPaths(m_searchPaths);
        QIcon::setThemeName(m_themeName);
        QIcon::setFallbackThemeName(m_fallbackName);
    }

    void useTheme(const std::string& searchPath, const QString& name)
    {
        QIcon::setThemeSearchPaths({QString::fromStdString(searchPath)});
        QIcon::setThemeName(name);
    }

    static inline std::unique_ptr<QGuiApplication> s_application;

private:
    QStringList m_searchPaths;
    QString m_themeName;
    QString m_fallbackName;
};

TEST_F(FreedesktopIconListIcons, WithoutADesktopAnInstalledThemeStandsIn)
{
    // What Qt knows without a desktop: hicolor, which has no file or folder icons, and no
    // fallback; installed beside it a full theme.
    FixtureTree tree;
    tree.makeFolder("hicolor");
    std::ofstream(tree.pathOf("hicolor/index.theme")) << "[Icon Theme]\nName=Hicolor\nDirectories=\n";
    tree.makeFolder("Adwaita");
    tree.makeFolder("Adwaita/16");
    std::ofstream(tree.pathOf("Adwaita/index.theme"))
        << "[Icon Theme]\nName=Adwaita\nDirectories=16\n\n[16]\nSize=16\nType=Fixed\n";
    saveSolid(tree.pathOf("Adwaita/16/folder.png"), Qt::yellow);
    saveSolid(tree.pathOf("Adwaita/16/text-x-generic.png"), Qt::blue);
    useTheme(tree.path(), "hicolor");
    QIcon::setFallbackThemeName(QString());

    FreedesktopIconList list;
    EXPECT_EQ(centreOf(list.icon(list.systemIndexOfFolder(false))), QColor(Qt::yellow));
    EXPECT_EQ(centreOf(list.icon(list.systemIndexOfFile("unknown.zzq"))), QColor(Qt::blue));
}

TEST_F(FreedesktopIconListIcons, TakesTheThemesIconThenTheGenericOnesOfTheType)
{
    FixtureTree tree;
    tree.makeFolder("test");
    tree.makeFolder("test/16");
    std::ofstream(tree.pathOf("test/index.theme"))
        << "[Icon Theme]\nName=Test\nDirectories=16\n\n[16]\nSize=16\nType=Fixed\n";
    saveSolid(tree.pathOf("test/16/text-plain.png"), Qt::red);
    saveSolid(tree.pathOf("test/16/package-x-generic.png"), Qt::green);
    saveSolid(tree.pathOf("test/16/text-x-generic.png"), Qt::blue);
    saveSolid(tree.pathOf("test/16/folder.png"), Qt::yellow);
    useTheme(tree.path(), "test");

    FreedesktopIconList list;
    const std::vector<std::pair<int, QColor>> expected = {
        {list.systemIndexOfFile("a.txt"), Qt::red},           {list.systemIndexOfFile("backup.tar.gz"), Qt::green},
        {list.systemIndexOfFile("CMakeLists.txt"), Qt::blue}, {list.systemIndexOfFile("unknown.zzq"), Qt::blue},
        {list.systemIndexOfFolder(false), Qt::yellow},        {list.systemIndexOfFolder(true), Qt::yellow},
    };
    for (const auto& [index, colour] : expected)
        EXPECT_EQ(centreOf(list.icon(index)), QColor(colour)) << list.iconName(index).toStdString();
}

TEST_F(FreedesktopIconListIcons, FilesAndFoldersHaveIconsWithoutAnyTheme)
{
    FixtureTree tree;
    useTheme(tree.path(), "absent");

    FreedesktopIconList list;
    const int indexes[] = {list.systemIndexOfFile("a.txt"), list.systemIndexOfFile("unknown.zzq"),
                           list.systemIndexOfFolder(false), list.systemIndexOfFolder(true)};
    std::vector<QImage> images;
    for (const int index : indexes) {
        const QIcon icon = list.icon(index);
        ASSERT_FALSE(icon.isNull()) << list.iconName(index).toStdString();
        images.push_back(icon.pixmap(QSize(16, 16), 1.0).toImage());
        EXPECT_EQ(images.back().size(), QSize(16, 16));
        EXPECT_EQ(images.back().pixelColor(8, 10).alpha(), 255) << list.iconName(index).toStdString();
    }
    EXPECT_EQ(images[0], images[1]);
    EXPECT_NE(images[0], images[2]);
    EXPECT_NE(images[2], images[3]);

    EXPECT_TRUE(list.icon(-1).isNull());
    EXPECT_TRUE(list.icon(4).isNull());
}

} // namespace
} // namespace tallyvane
