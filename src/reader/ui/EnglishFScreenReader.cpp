// The reader with a screen reader: each new sentence reaches it through the sentence box, and
// the Tools check item "Screen reader speaks the sentences" chooses whose voice reads the texts
// handed over: the program's own (the default), or the screen reader's, by an announcement.
#include "common/ui/Accessibility.h"
#include "reader/ReadingOptions.h"
#include "reader/ui/EnglishF.h"

#include <QAction>
#include <QMenu>

namespace orasent {

void EnglishF::addScreenReaderTools() {
    m_notice = std::make_unique<AccessibleNotice>(centralWidget());
    m_screenReaderSpeaks = readReadingOptionsFile(kReadingOptionsFileName).screenReaderSpeaks;

    QAction* item = m_toolsMenu->addAction(QStringLiteral("&Screen reader speaks the sentences"));
    item->setObjectName(QStringLiteral("menuScreenReaderSpeaks"));
    item->setCheckable(true);
    item->setChecked(m_screenReaderSpeaks);
    connect(item, &QAction::toggled, this, &EnglishF::setScreenReaderSpeaks);
}

void EnglishF::setScreenReaderSpeaks(bool on) {
    m_screenReaderSpeaks = on;
    // The other items of the file keep what is saved for them.
    ReadingOptions options = readReadingOptionsFile(kReadingOptionsFileName);
    options.screenReaderSpeaks = on;
    QString error;
    if (!writeReadingOptionsFile(kReadingOptionsFileName, options, &error))
        showMessage(QStringLiteral("The choice could not be saved to \"%1\": %2\n"
                                   "It holds until the program ends.")
                        .arg(kReadingOptionsFileName, error));
}

// Without assistive technology listening (none started, or QT_ACCESSIBILITY=0) an announcement
// would be heard by nobody: the program's voice reads the text then.
bool EnglishF::handsOverToScreenReader() const {
    return m_screenReaderSpeaks && assistiveTechnologyListens();
}

QString EnglishF::lastAnnouncement() const {
    return m_notice ? m_notice->lastText() : QString();
}

} // namespace orasent
