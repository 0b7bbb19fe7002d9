// Tools > "Read in the Document's Language": a check item, kept in "ReadingOptions.ini". On, each
// sentence goes to the speech window with its paragraph's language; off, the chosen voice reads
// everything.
#include "common/ui/UserPrompts.h"
#include "reader/ReadingOptions.h"
#include "reader/ui/EnglishF.h"

#include <QAction>
#include <QMenu>

namespace orasent {

void EnglishF::addLanguageTool() {
    QAction* action = m_toolsMenu->addAction(QStringLiteral("Read in the Document's &Language"));
    action->setObjectName(QStringLiteral("ReadInDocumentLanguage"));
    action->setCheckable(true);
    const bool on = readReadingOptionsFile(kReadingOptionsFileName).readInDocumentLanguage;
    action->setChecked(on);
    m_model.setReadInDocumentLanguage(on);
    connect(action, &QAction::toggled, this, [this](bool checked) {
        m_model.setReadInDocumentLanguage(checked);
        // The other options in the file stay as they are.
        ReadingOptions options = readReadingOptionsFile(kReadingOptionsFileName);
        options.readInDocumentLanguage = checked;
        QString error;
        if (!writeReadingOptionsFile(kReadingOptionsFileName, options, &error))
            m_prompts.showMessage(
                this,
                QStringLiteral("The reading options could not be saved to \"%1\": %2")
                    .arg(kReadingOptionsFileName, error),
                programTitle());
    });
}

} // namespace orasent
