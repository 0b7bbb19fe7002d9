#pragma once
// "Recent Documents": the documents read, newest first, each with its progress and the date it
// was last read, and Open and Remove. A document whose file is gone says so and offers Remove.
#include "reader/DocumentLibrary.h"

#include <QDialog>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace orasent {

class RecentDocumentsDialog : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        std::function<bool(const QByteArray& key)> open; // false: the file is gone
        std::function<void(const QByteArray& key)> remove;
    };
    RecentDocumentsDialog(const QVector<LibraryEntry>& entries, Actions actions,
                          QWidget* parent = nullptr);

    static QString goneText() {
        return QStringLiteral("The file of this document is gone. Press Remove to take it off "
                              "the list.");
    }
    static QString rowText(const LibraryEntry& entry, bool fileExists);

private:
    void openChosen();
    void removeChosen();
    void showChosen();

    QListWidget* m_list = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_remove = nullptr;
    Actions m_actions;
};

} // namespace orasent
