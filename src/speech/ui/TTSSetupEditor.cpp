// The word list editor panel, the Test button, the File and Help menus, Speak and Stop.
#include "speech/ui/TTSSetup.h"

#include "common/ProgramFiles.h"
#include "common/TextCodec.h"
#include "common/ui/UserPrompts.h"
#include "engine/SpVoice.h"
#include "speech/WordListFile.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace orasent {

namespace {} // namespace

const char* const TTSSetup::kHelpText =
    "Orasent Version " ORASENT_VERSION "\r\n"
    "If you have different voices installed you can select them from the voice drop down. "
    "To add new pronunciations click edit list. Add the word to the list plus an equal sign and "
    "then "
    "the new pronunciation. ";
const char* const TTSSetup::kTestSentence = "This is a test of the Speech Recognition System.";

// The edit box keeps line breaks as LF; the list and its file use CR LF.
QString TTSSetup::talkBoxText() const {
    QString text = m_talkBox->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void TTSSetup::onEditListPressed() {
    if (isEditorOpen()) {
        setOuterWidthTwips(kNarrowWidthTwips);
        return;
    }
    m_talkBox->setPlainText(listToEditText(m_core.replacementList()));
    setOuterWidthTwips(kWideWidthTwips);
}

void TTSSetup::onSaveListPressed() {
    setOuterWidthTwips(kNarrowWidthTwips);
    const QString editText = talkBoxText();
    QString error;
    if (!saveWordListFile(files::wordList(), editText, &error)) {
        // The list in memory and the old file stay; the panel opens again with the edits kept.
        m_prompts.showMessage(this,
                              QStringLiteral("The word list could not be saved to \"%1\": %2")
                                  .arg(files::wordList(), error),
                              programTitle());
        setOuterWidthTwips(kWideWidthTwips);
        return;
    }
    m_core.setReplacementList(editTextToList(editText));
    m_talkBox->clear();
}

void TTSSetup::onNoSavePressed() {
    m_talkBox->clear();
    if (isVisible())
        setOuterWidthTwips(kNarrowWidthTwips);
}

void TTSSetup::onSortListPressed() {
    const std::optional<QString> sorted = sortEditText(talkBoxText());
    if (!sorted) {
        m_prompts.showMessage(this, QString::fromLatin1(kSortLimitMessage), programTitle());
        return;
    }
    m_talkBox->setPlainText(*sorted);
}

// Spoken after what is being said, without the replacement list; the window stays free.
void TTSSetup::onTestLastWordPressed() {
    m_core.speakAfterCurrent(lastWordToTest(talkBoxText()));
}

void TTSSetup::onTestPressed() {
    m_mainTxtBox->setPlainText(QString::fromLatin1(kTestSentence));
    SpeakItX();
}

// --- menus, Speak and Stop ---

void TTSSetup::onOpenTextChosen() {
    OpenFileRequest request;
    request.title = QStringLiteral("Open a Text File");
    request.directory = GetDirectory();
    request.filter =
        QStringLiteral("All Files (*.*)|*.*|Text, XML Files (*.txt;*.xml)|*.txt;*.xml");
    request.selectedFilter = 1;
    request.mustExist = true;
    const std::optional<QString> fileName = m_prompts.getOpenFileName(this, request);
    if (!fileName || fileName->isEmpty())
        return;
    // Cancelled, missing or unreadable: nothing changes and nothing is shown.
    QFile file(*fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return;
    m_mainTxtBox->setPlainText(decodeText(bytes));
}

void TTSSetup::onExitChosen() {
    hide();
}

void TTSSetup::onHelpChosen() {
    const QString help = QString::fromLatin1(kHelpText);
    if (m_readerText1)
        m_readerText1->setPlainText(help);
    m_spkbx->setText(help);
}

void TTSSetup::onSpeakPressed() {
    SpeakItX();
}

void TTSSetup::onStopPressed() {
    m_mainTxtBox->setPlainText(QString());
    m_spkbx->setText(QString());
    StopVoice();
}

} // namespace orasent
