#pragma once
// "Contents": the document's headings, indented by level, with "Start of document" first. The
// entry of the chapter being read is selected when it opens. Choosing an entry closes it.
#include "reader/ReaderModel.h"

#include <QDialog>
#include <functional>

class QListWidget;

namespace orasent {

class ContentsDialog : public QDialog {
    Q_OBJECT
public:
    // `go` gets the chosen chapter's index, or -1 for the start of the document.
    ContentsDialog(const QVector<ReaderModel::Chapter>& chapters, int current,
                   std::function<void(int)> go, QWidget* parent = nullptr);

    static QString startOfDocumentText() { return QStringLiteral("Start of document"); }

private:
    void choose();

    QListWidget* m_list = nullptr;
    std::function<void(int)> m_go;
};

} // namespace orasent
