#pragma once
// "Export to Audio": what to export (the whole text or from the current sentence), where (a
// save dialog through UserPrompts), the audio format and its quality, one file per chapter, and
// the captions.
#include "export/ExportFormats.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace orasent {

class UserPrompts;

struct ExportChoice {
    bool fromCurrentSentence = false;
    QString outputPath;
    AudioFileFormat format = AudioFileFormat::OggVorbis;
    ExportQuality quality = ExportQuality::Standard;
    bool splitChapters = false;
    CaptionFormat captions = CaptionFormat::None;
};

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    // `suggestedPath`: the file first offered, e.g. the text's own name with the audio extension.
    ExportDialog(UserPrompts& prompts, const QString& suggestedPath, QWidget* parent = nullptr);

    ExportChoice choice() const;
    void setChoice(const ExportChoice& choice);
    // Which voice writes the file when the chosen one cannot; empty hides the line.
    void setVoiceNote(const QString& note);

    void browse(); // the Browse button
    void accept() override;

private:
    void formatChanged();
    QString filterFor(AudioFileFormat format) const;

    UserPrompts& m_prompts;
    QRadioButton* m_wholeText = nullptr;
    QRadioButton* m_fromCurrent = nullptr;
    QLineEdit* m_path = nullptr;
    QComboBox* m_format = nullptr;
    QComboBox* m_quality = nullptr;
    QCheckBox* m_split = nullptr;
    QComboBox* m_captions = nullptr;
    QLabel* m_voiceNote = nullptr;
};

} // namespace orasent
