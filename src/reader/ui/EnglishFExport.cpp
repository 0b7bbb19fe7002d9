// "Export to Audio..." in the Tools menu: the reader's text, read into an audio file with the
// speech window's voice, rate, volume and replacement list.
#include "common/ui/UserPrompts.h"
#include "export/PassageVoices.h"
#include "export/ui/ExportDialog.h"
#include "export/ui/ExportRun.h"
#include "reader/ReadingLook.h"
#include "reader/ui/EnglishF.h"
#include "speech/SpeechWindow.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QProgressDialog>

namespace orasent {

namespace {
// The previous choice of this run, offered again.
ExportChoice& lastChoice() {
    static ExportChoice choice;
    return choice;
}

QString suggestedPath(const QString& fileName, AudioFileFormat format) {
    const QFileInfo text(fileName.isEmpty() ? QStringLiteral("Reading.txt") : fileName);
    return text.absoluteDir().filePath(text.completeBaseName() + QLatin1Char('.') +
                                       audioFormatExtension(format));
}
} // namespace

void EnglishF::addExportCommand() {
    QAction* action = toolsMenu()->addAction(QStringLiteral("&Export to Audio..."));
    action->setObjectName(QStringLiteral("ExportToAudio"));
    connect(action, &QAction::triggered, this, &EnglishF::exportToAudio);
}

void EnglishF::exportToAudio() {
    if (auto* running = findChild<ExportRun*>(); running && running->isRunning()) {
        running->progressDialog()->show();
        running->progressDialog()->raise();
        return;
    }
    ExportChoice choice = lastChoice();
    if (choice.outputPath.isEmpty())
        choice.outputPath = suggestedPath(m_model.fileName(), choice.format);
    auto* dialog = new ExportDialog(m_prompts, choice.outputPath, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setChoice(choice);
    dialog->setVoiceNote(m_tts.speechChoice().voiceNote);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { startExport(dialog->choice()); });
    dialog->open();
}

void EnglishF::startExport(const ExportChoice& choice) {
    lastChoice() = choice;
    const ExportRequest request = exportRequest(choice);
    // A finished run is replaced by the new one.
    delete findChild<ExportRun*>();
    new ExportRun(request, m_prompts, this);
}

ExportRequest EnglishF::exportRequest(const ExportChoice& choice) const {
    ExportRequest request;
    request.text = m_model.bookText();
    request.inputPath = m_model.fileName();
    // The text as read, never the file again; while a document is read in, what has arrived.
    request.readInput = false;
    const std::shared_ptr<const LoadedDocument> loaded = m_model.loadedDocument();
    if (loaded->bookText() == request.text) {
        request.document = loaded->document();
        request.paragraphStarts = loaded->paragraphStarts();
        request.coverJpeg = loaded->coverJpeg();
    }
    request.sentenceBand = readAlongBand(readingLook());
    request.textColour = readingLook().text;
    // The current sentence is the one shown; before any, the one Talk would show next.
    if (choice.fromCurrentSentence)
        request.fromPosition = m_shownSentence.isEmpty() ? m_model.nextPos() : m_model.lastPos();
    const SpeechChoice speech = m_tts.speechChoice();
    request.outputPath = choice.outputPath;
    request.format = choice.format;
    request.quality = choice.quality;
    request.splitChapters = choice.splitChapters;
    request.captions = choice.captions;
    request.voiceIdentifier = speech.voiceId;
    request.rate = speech.rate;
    request.volume = speech.volume;
    request.replacementList = speech.replacementList;
    followDocumentLanguage(&request, m_model.readInDocumentLanguage());
    request.pronunciation = speech.pronunciation;
    request.bookLexicons = speech.bookLexicons;
    return request;
}

} // namespace orasent
