// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryDocument.h"

#include <QDialog>

#include <cstddef>
#include <optional>

class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace tallyvane {

class SearchResultModel;

// The search window: finds entries by name below one folder of the analysed tree and lists
// them with their paths and sizes. Choosing a result hands its entry on; the window stays open
// for the next one.
//
// The results name entries of the tree, so an analysis that clears the tree has to call
// clearResults() first: the window then holds no entry at all until searchIn() gives it a
// folder of the new tree.
class SearchWindow final : public QDialog {
    Q_OBJECT

public:
    // Listing more would not help anyone find a file; past it the status asks for a narrower
    // pattern.
    static constexpr std::size_t MaxResults = 10000;

    // Searches the document's tree; its results go when the tree is replaced.
    explicit SearchWindow(const EntryDocument& document, QWidget* parent = nullptr);
    ~SearchWindow() override;

    // Searches from now on below entry, or below a file entry's folder; earlier results go.
    // Shows the window and brings it to the front with the pattern ready for typing.
    void searchIn(EntryId entry);

public slots:
    void clearResults();

signals:
    // A result was activated, by a double click or Enter.
    void entryChosen(tallyvane::EntryId entry);

private:
    void search();
    void choose(const QModelIndex& index);
    void setSearchable(bool searchable);

    const EntryTree& m_tree;
    std::optional<EntryId> m_folder; // none since clearResults(); NoEntry is the whole tree
    QLineEdit* m_pattern;
    QPushButton* m_searchButton;
    QTreeView* m_results;
    QLabel* m_status;
    SearchResultModel* m_model;
};

} // namespace tallyvane
