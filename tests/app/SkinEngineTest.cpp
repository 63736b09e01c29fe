// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SkinEngine.h"
#include "views/GridFixture.h"
#include "views/GridLook.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QResource>
#include <QSet>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <array>
#include <climits>

namespace tallyvane {
namespace {

// Collects what Qt warns about while it lives: a sheet that does not parse is only ever
// reported this way.
class WarningLog {
public:
    WarningLog() : m_previous(qInstallMessageHandler(&record)) { s_messages.clear(); }
    ~WarningLog() { qInstallMessageHandler(m_previous); }
    const QStringList& messages() const { return s_messages; }

private:
    static void record(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            s_messages.append(message);
    }

    static inline QStringList s_messages;
    QtMessageHandler m_previous;
};

// Qt parses a sheet only when it polishes a widget with it.
QStringList parseWarnings(const QString& sheet)
{
    const WarningLog log;
    QWidget widget;
    widget.setStyleSheet(sheet);
    widget.ensurePolished();
    return log.messages();
}

int colourCount(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

// The middle of a button's left edge, clear of its caption and its border.
QRgb buttonFace()
{
    QPushButton button(QStringLiteral("分析"));
    button.resize(80, 24);
    return button.grab().toImage().pixel(6, 12);
}

// The application's sheet is global: every test starts and leaves it unskinned.
class SkinEngineTest : public ::testing::Test {
protected:
    void SetUp() override { qApp->setStyleSheet({}); }
    void TearDown() override { qApp->setStyleSheet({}); }
};

class EachSkin : public SkinEngineTest, public ::testing::WithParamInterface<int> {};

TEST_P(EachSkin, InflatesToANamedStyleSheetThatParses)
{
    const QString sheet = SkinEngine::styleSheet(GetParam());
    EXPECT_GT(sheet.size(), 1000);
    const QStringList warnings = parseWarnings(sheet);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();
    EXPECT_FALSE(SkinEngine::skinName(GetParam()).isEmpty());
}

// The grid keeps its own selection and header whatever the skin around it.
TEST_P(EachSkin, GridSelectionAndHeaderLookTheSame)
{
    SkinEngine engine;
    ASSERT_TRUE(engine.applySkin(GetParam()));
    test::GridFixture f;
    f.grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.grid));
    f.analyse([](test::GridFixture& g) {
        g.add("", "/data/");
        g.add("/data", "a.txt", 10);
    });
    QLineEdit elsewhere;
    elsewhere.show();
    test::expectGreyInactiveSelection(f.grid, elsewhere);
    test::expectRaisedHeaderWithHover(f.grid);
}

TEST_P(EachSkin, ReplacesTheApplicationsSkin)
{
    const int skin = GetParam();
    const int other = skin % Settings::SkinCount + 1;
    SkinEngine engine;
    ASSERT_TRUE(engine.applySkin(other));

    EXPECT_TRUE(engine.applySkin(skin));
    EXPECT_TRUE(qApp->styleSheet() == SkinEngine::styleSheet(skin));
    EXPECT_EQ(engine.currentSkin(), skin);
}

// The previews sit on the options page side by side, so each must show its own skin and not
// the one the window happens to wear, and drawing them must not restyle the window.
TEST_P(EachSkin, PreviewIsAFullPictureOfItsOwnSkinWhateverTheApplicationShows)
{
    const int skin = GetParam();
    QImage unskinned;
    {
        const WarningLog log;
        const QPixmap preview = SkinEngine::renderPreview(skin);
        EXPECT_TRUE(log.messages().isEmpty()) << log.messages().join(u'\n').toStdString();
        EXPECT_EQ(preview.deviceIndependentSize().toSize(), QSize(252, 90));
        unskinned = preview.toImage();
    }
    EXPECT_GE(colourCount(unskinned), 8);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());

    SkinEngine engine;
    for (int shown = 1; shown <= Settings::SkinCount; ++shown) {
        engine.applySkin(shown);
        EXPECT_EQ(SkinEngine::renderPreview(skin).toImage(), unskinned) << "while skin " << shown << " is shown";
        EXPECT_TRUE(qApp->styleSheet() == SkinEngine::styleSheet(shown));
        EXPECT_EQ(engine.currentSkin(), shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Skins, EachSkin, ::testing::Range(1, Settings::SkinCount + 1));

TEST_F(SkinEngineTest, RejectsNumbersThatNameNoSkin)
{
    SkinEngine engine;
    EXPECT_EQ(engine.currentSkin(), 0);
    EXPECT_FALSE(engine.applySkin(1 + Settings::SkinCount));
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    EXPECT_EQ(engine.currentSkin(), 0);

    ASSERT_TRUE(engine.applySkin(2));
    for (const int number : {0, 7, -1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(number);
        EXPECT_FALSE(engine.applySkin(number));
        EXPECT_TRUE(qApp->styleSheet() == SkinEngine::styleSheet(2));
        EXPECT_EQ(engine.currentSkin(), 2);
        EXPECT_TRUE(SkinEngine::styleSheet(number).isEmpty());
        EXPECT_TRUE(SkinEngine::skinName(number).isEmpty());
        EXPECT_TRUE(SkinEngine::renderPreview(number).isNull());
    }
}

TEST_F(SkinEngineTest, SixSkinsDifferInSheetNameAndPreview)
{
    QSet<QString> sheets;
    QSet<QString> names;
    QList<QImage> previews;
    for (int skin = 1; skin <= Settings::SkinCount; ++skin) {
        sheets.insert(SkinEngine::styleSheet(skin));
        names.insert(SkinEngine::skinName(skin));
        const QImage preview = SkinEngine::renderPreview(skin).toImage();
        EXPECT_FALSE(previews.contains(preview)) << "preview " << skin;
        previews.append(preview);
    }
    EXPECT_EQ(sheets.size(), Settings::SkinCount);
    EXPECT_EQ(names.size(), Settings::SkinCount);
}

TEST_F(SkinEngineTest, PushButtonFaceFollowsTheSkin)
{
    const QRgb unskinned = buttonFace();
    SkinEngine engine;
    engine.applySkin(1);
    const QRgb first = buttonFace();
    engine.applySkin(2);
    const QRgb second = buttonFace();

    EXPECT_NE(first, unskinned);
    EXPECT_NE(second, unskinned);
    EXPECT_NE(first, second);
}

// Each skin is kept in the program zlib-compressed, not as plain text.
TEST(StoredSkins, AreZlibCompressedResources)
{
    const QStringList stored = QDir(QStringLiteral(":/skins")).entryList(QDir::Files);
    EXPECT_EQ(stored.size(), Settings::SkinCount);
    for (const QString& name : stored) {
        const QResource resource(QStringLiteral(":/skins/") + name);
        EXPECT_EQ(resource.compressionAlgorithm(), QResource::ZlibCompression) << name.toStdString();
    }
}

// The sheets are one template filled with a palette per skin. Each must come out byte for byte
// as the sheet that skin has always had, so that a slip in a palette or the template shows here
// and not in the user's window.
TEST(StoredSkins, TemplateAndPaletteGiveEachSkinItsSheet)
{
    const std::array<QByteArray, Settings::SkinCount> sha256{
        "4ebde4c91d631af06ab125b89a2b06c9c4db47d0359e080893bd060dd1ee8a6f", // sky
        "616840dc7c1730f05d117df9415a8339531f006007889b26a3587403d911597b", // graphite
        "55358700dc79acd74a7efabe55643f2b6cafa60ac67bc7a7006ee3b5c056c11d", // ember
        "668050f16112d7a7d919890d217909ab9aa1e1236a89b9a362b9a00079b868c9", // jade
        "3694d3795cc808abb05b248a777beae9104452f9a4931dc2097bc0cf2e58498e", // classic
        "5216686116480b44a91bf02f3479a45cbdff766a3f41dd3c02f8a14679ab0631", // ocean
    };
    for (int skin = 1; skin <= Settings::SkinCount; ++skin) {
        const QByteArray sheet = SkinEngine::styleSheet(skin).toUtf8();
        EXPECT_EQ(QCryptographicHash::hash(sheet, QCryptographicHash::Sha256).toHex(),
                  sha256[static_cast<std::size_t>(skin - 1)])
            << "skin " << skin;
    }
}

// Guards the parse check above: it must see a broken sheet.
TEST(StoredSkins, ParseCheckReportsABrokenSheet)
{
    EXPECT_FALSE(parseWarnings(QStringLiteral("QPushButton { color: red; ")).isEmpty());
}

} // namespace
} // namespace tallyvane
