// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/SearchWindow.h"

#include "views/SearchResultModel.h"

#include "analysis/EntrySearch.h"
#include "analysis/EntryTargets.h"
#include "platform/FileNames.h"
#include "presentation/SizeText.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace tallyvane {

SearchWindow::SearchWindow(const EntryDocument& document, QWidget* parent)
    : QDialog(parent), m_tree(document.tree()), m_pattern(new QLineEdit(this)),
      m_searchButton(new QPushButton(QStringLiteral("搜索"), this)), m_results(new QTreeView(this)),
      m_status(new QLabel(this)), m_model(new SearchResultModel(this))
{
    setWindowTitle(QStringLiteral("搜索"));
    // The results name entries of the tree about to go.
    connect(&document, &EntryDocument::treeAboutToBeReplaced, this, &SearchWindow::clearResults);
    m_pattern->setObjectName(QStringLiteral("pattern"));
    m_pattern->setPlaceholderText(QStringLiteral("名称的一部分，或通配符如 *.txt"));
    m_searchButton->setObjectName(QStringLiteral("search"));
    m_results->setObjectName(QStringLiteral("results"));
    m_status->setObjectName(QStringLiteral("status"));

    m_results->setModel(m_model);
    m_results->setRootIsDecorated(false);
    m_results->setUniformRowHeights(true);
    m_results->setAllColumnsShowFocus(true);
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->header()->setSortIndicator(-1, Qt::AscendingOrder);
    m_results->setSortingEnabled(true);
    m_results->header()->setStretchLastSection(false);
    m_results->header()->setSectionResizeMode(SearchResultModel::PathColumn, QHeaderView::Stretch);
    m_results->setColumnWidth(SearchResultModel::NameColumn, 200);
    m_results->setColumnWidth(SearchResultModel::SizeColumn, 80);

    auto* closeButtons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    // Enter belongs to the pattern (search) and to the results (choose); a default button
    // would take it from both.
    for (QAbstractButton* button : closeButtons->buttons())
        static_cast<QPushButton*>(button)->setAutoDefault(false);
    m_searchButton->setAutoDefault(false);

    auto* patternRow = new QHBoxLayout;
    patternRow->addWidget(m_pattern, 1);
    patternRow->addWidget(m_searchButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(patternRow);
    layout->addWidget(m_results, 1);
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(m_status, 1);
    bottomRow->addWidget(closeButtons);
    layout->addLayout(bottomRow);
    resize(680, 420);

    connect(m_pattern, &QLineEdit::returnPressed, this, &SearchWindow::search);
    connect(m_searchButton, &QPushButton::clicked, this, &SearchWindow::search);
    connect(m_results, &QTreeView::activated, this, &SearchWindow::choose);
    connect(closeButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setSearchable(false);
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::searchIn(EntryId entry)
{
    const EntryId folder = entry == NoEntry || m_tree.isFolder(entry) ? entry : m_tree.ParentEntry(entry);
    clearResults();
    m_folder = folder;
    if (folder != NoEntry)
        setWindowTitle(QStringLiteral("搜索 - ") + DecodeFileName(TargetsOf(m_tree, folder).openPath));
    setSearchable(true);
    show();
    raise();
    activateWindow();
    m_pattern->setFocus();
    m_pattern->selectAll();
}

void SearchWindow::clearResults()
{
    m_folder.reset();
    setWindowTitle(QStringLiteral("搜索"));
    m_model->setRows({});
    m_status->clear();
    setSearchable(false);
}

void SearchWindow::search()
{
    if (!m_folder)
        return;
    const NamePattern pattern(m_pattern->text());
    if (pattern.isEmpty()) {
        m_model->setRows({});
        m_status->setText(QStringLiteral("请输入名称或通配符"));
        return;
    }
    if (!pattern.isValid()) {
        m_model->setRows({});
        m_status->setText(QStringLiteral("通配符无效"));
        return;
    }
    const SearchResult found = FindEntries(m_tree, *m_folder, pattern, {.maxMatches = MaxResults});
    std::vector<SearchResultModel::Row> rows;
    rows.reserve(found.matches.size());
    for (const EntryId entry : found.matches) {
        const std::int64_t size = m_tree.size(entry);
        rows.push_back({entry, DecodeFileName(m_tree.name(entry)), DecodeFileName(TargetsOf(m_tree, entry).openPath),
                        size, QString::fromStdString(SizeToText(size))});
    }
    // New results come in the tree's order; an old sort mark would claim otherwise.
    m_results->header()->setSortIndicator(-1, Qt::AscendingOrder);
    m_model->setRows(std::move(rows));
    const auto count = static_cast<qulonglong>(found.matches.size());
    m_status->setText(found.complete ? QStringLiteral("找到 %1 项").arg(count)
                                     : QStringLiteral("找到 %1 项以上，只列出前 %1 项").arg(count));
}

void SearchWindow::choose(const QModelIndex& index)
{
    if (index.isValid())
        emit entryChosen(m_model->entryAt(index.row()));
}

void SearchWindow::setSearchable(bool searchable)
{
    m_pattern->setEnabled(searchable);
    m_searchButton->setEnabled(searchable);
}

} // namespace tallyvane
