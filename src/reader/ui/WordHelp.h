#pragma once
// "Word Help": a small window for one word picked in the sentence box. It shows the word's
// syllables and meaning in the reader's look and type size, and says it, says it slowly,
// spells it and says its meaning through the speaking core, marking what is heard.
#include "reader/ReadingLook.h"
#include "words/WordHelpModel.h"

#include <QColor>
#include <QDialog>

class QPushButton;

namespace orasent {

class SentenceBox;

class WordHelp : public QDialog {
    Q_OBJECT
public:
    WordHelp(WordHelpModel& model, QWidget* parent = nullptr);

    // The reader's look, type size in points, and the band colour for what is heard.
    void setLook(const ReadingLook& look, double pointSize, const QColor& band);
    WordHelpModel& model() { return m_model; }

protected:
    void done(int result) override;

private:
    QPushButton* addButton(const QString& caption, const char* name);
    void showMark(int start, int length);
    void fitSyllablesField();

    WordHelpModel& m_model;
    SentenceBox* m_syllables = nullptr;
    SentenceBox* m_meaning = nullptr;
    QColor m_band;
};

} // namespace orasent
