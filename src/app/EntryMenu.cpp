// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/EntryMenu.h"

#include <QMenu>

namespace tallyvane {

QMenu* MakeEntryMenu(QWidget* parent, std::function<void(EntryMenuItem)> chosen)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("PmTree"));
    const auto item = [&chosen](QMenu* into, const QString& caption, const QString& name, EntryMenuItem which) {
        QAction* action = into->addAction(caption);
        action->setObjectName(name);
        QObject::connect(action, &QAction::triggered, action, [chosen, which] { chosen(which); });
    };
    using enum EntryMenuItem;
    item(menu, QStringLiteral("资源管理器(&X)"), QStringLiteral("NRM"), ShowInFileManager);
    item(menu, QStringLiteral("打开(&O)"), QStringLiteral("NOpen"), Open);
    item(menu, QStringLiteral("搜索(&S)..."), QStringLiteral("NSerch"), Search);
    item(menu, QStringLiteral("属性(&R)"), QStringLiteral("NProperty"), Properties);
    menu->addSeparator();
    item(menu, QStringLiteral("当前文件夹内最大文件(&M)"), QStringLiteral("NFindMax"), LargestFile);
    menu->addSeparator();
    item(menu, QStringLiteral("当前文件夹全部展开(&E)"), QStringLiteral("NExp"), ExpandAll);
    item(menu, QStringLiteral("当前文件夹全部收起(&C)"), QStringLiteral("NCollapse"), CollapseAll);
    menu->addSeparator();
    item(menu, QStringLiteral("行数(&N)"), QStringLiteral("NCount"), CountRows);
    QMenu* exports = menu->addMenu(QStringLiteral("导出"));
    exports->setObjectName(QStringLiteral("Export1"));
    item(exports, QStringLiteral("网页(html)"), QStringLiteral("Html1"), ExportHtml);
    item(exports, QStringLiteral("富文本(RTF)"), QStringLiteral("Rtf1"), ExportRtf);
    item(exports, QStringLiteral("文本(Text)"), QStringLiteral("Text1"), ExportText);
    return menu;
}

} // namespace tallyvane
