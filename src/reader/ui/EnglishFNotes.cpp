// "Read Notes" in the Tools menu: on by default and kept in "ReadingOptions.ini"; when off, the
// notes of documents opened from then on are not read.
#include "reader/ReadingOptions.h"
#include "reader/ui/EnglishF.h"

#include <QAction>
#include <QMenu>

namespace orasent {

void EnglishF::addReadNotes() {
    QAction* action = m_toolsMenu->addAction(QStringLiteral("Read &Notes"));
    action->setObjectName(QStringLiteral("ReadNotes"));
    action->setCheckable(true);
    const bool on = readReadingOptionsFile(kReadingOptionsFileName).readNotes;
    action->setChecked(on);
    m_model.setReadNotes(on);
    connect(action, &QAction::toggled, this, [this](bool checked) {
        m_model.setReadNotes(checked);
        // The other options in the file stay as they are.
        ReadingOptions options = readReadingOptionsFile(kReadingOptionsFileName);
        options.readNotes = checked;
        QString error;
        if (!writeReadingOptionsFile(kReadingOptionsFileName, options, &error))
            showMessage(QStringLiteral("The reading options could not be saved: %1").arg(error));
    });
}

} // namespace orasent
