#pragma once

#include <QDialog>
#include <QString>

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QTreeView;

namespace tvx {

// The folder chooser: a folder tree and an editable path above it. A typed path is checked
// on OK; a missing folder is created, with every missing parent, after one question.
class CPathDialog : public QDialog {
    Q_OBJECT
public:
    // The initial folder is selected in the tree; without one, the current folder is.
    CPathDialog(const QString& caption, const QString& title, const QString& initialFolder,
                QWidget* owner = nullptr);

    int DoModal();   // 1 when a folder was accepted, else -1
    QString GetPathName() const { return m_path; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnSelectionChanged();
    void ShowSelection();
    void OnPathEdited(const QString& text);
    // 0 when the typed path names a folder that exists now.
    int ValidateTypedPath();
    void ShowFolderMessage(const QString& path, int textId);

    QLabel* m_title;
    QLineEdit* m_edit;
    QTreeView* m_tree;
    QFileSystemModel* m_model;
    QDialogButtonBox* m_buttons;
    QString m_path;
    bool m_bOK = false;
};

}  // namespace tvx
