// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

#include <QDialog>

namespace tallyvane {

class FileFactsSource;

// The properties of one entry, for when no file manager shows them: what the file system says
// of its path now, and what only the analysis knows, the files and folders a folder holds.
// A path that has gone since the analysis is shown as gone, with the size the tree recorded.
// A folder's size on disk is summed over what lies below it while the dialog is open.
// Every value can be selected for copying.
class PropertiesDialog final : public QDialog {
    Q_OBJECT

public:
    PropertiesDialog(const EntryTree& tree, EntryId entry, FileFactsSource& files, QWidget* parent = nullptr);
};

} // namespace tallyvane
