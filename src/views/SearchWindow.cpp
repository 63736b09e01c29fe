// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/SearchWindow.h"

#include "analysis/EntrySearch.h"
#include "analysis/SizeText.h"
#include "commands/EntryTargets.h"
#include "platform/FileNames.h"

#include <QAbstractTableModel>
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

// The found entries with the texts shown for them. The texts are taken when the search runs,
// so that painting and sorting never go back to the tree.
class SearchResultModel final : public QAbstractTableModel {
public:
    enum Column { NameColumn, PathColumn, SizeColumn, ColumnCount };

    struct Row {
        EntryId entry;
        QString name;
        QString path;
        std::int64_t size;
        QString sizeText;
    };

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<Row> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }

    EntryId entryAt(int row) const { return m_rows[static_cast<std::size_t>(row)].entry; }

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }

    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : ColumnCount; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const Row& row = m_rows[static_cast<std::size_t>(index.row())];
        if (role == Qt::DisplayRole || (role == Qt::ToolTipRole && index.column() == PathColumn)) {
            switch (index.column()) {
            case NameColumn: return row.name;
            case PathColumn: return row.path;
            case SizeColumn: return row.sizeText;
            }
        }
        if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QString captions[ColumnCount] = {
            QStringLiteral("名称"), QStringLiteral("路径"), QStringLiteral("大小")};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
            return captions[section];
        return {};
    }

    // A column below 0 keeps the order the rows came in: the tree's.
    void sort(int column, Qt::SortOrder order) override
    {
        if (column < 0 || column >= ColumnCount)
            return;
        const auto before = [column](const Row& a, const Row& b) {
            switch (column) {
            case NameColumn: return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
            case PathColumn: return a.path.compare(b.path, Qt::CaseInsensitive) < 0;
            default: return a.size < b.size;
            }
        };
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        if (order == Qt::AscendingOrder)
            std::stable_sort(m_rows.begin(), m_rows.end(), before);
        else
            std::stable_sort(m_rows.begin(), m_rows.end(), [&](const Row& a, const Row& b) { return before(b, a); });
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

private:
    std::vector<Row> m_rows;
};

SearchWindow::SearchWindow(const EntryTree& tree, QWidget* parent)
    : QDialog(parent),
      m_tree(tree),
      m_pattern(new QLineEdit(this)),
      m_searchButton(new QPushButton(QStringLiteral("搜索"), this)),
      m_results(new QTreeView(this)),
      m_status(new QLabel(this)),
      m_model(new SearchResultModel(this))
{
    setWindowTitle(QStringLiteral("搜索"));
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
        rows.push_back({entry, DecodeFileName(m_tree.name(entry)),
                        DecodeFileName(TargetsOf(m_tree, entry).openPath), size,
                        QString::fromStdString(SizeToText(size))});
    }
    // New results come in the tree's order; an old sort mark would claim otherwise.
    m_results->header()->setSortIndicator(-1, Qt::AscendingOrder);
    m_model->setRows(std::move(rows));
    const auto count = static_cast<qulonglong>(found.matches.size());
    m_status->setText(found.complete
                          ? QStringLiteral("找到 %1 项").arg(count)
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
