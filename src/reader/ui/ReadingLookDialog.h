#pragma once
// "Reading Look": typeface, spacing, line width, colours and highlight of the sentence box, and
// the type size of the reader's dialogs. Not
// modal; every change is announced at once so the sentence box shows it. OK keeps the look,
// Cancel (or closing the dialog) announces the look it started with.
#include "reader/ReadingLook.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QPushButton;
class QSpinBox;

namespace orasent {

class SentenceBox;
class UserPrompts;

class ReadingLookDialog : public QDialog {
    Q_OBJECT
public:
    // `sample`: the sentence shown now; `sampleSize`: its type size in points.
    ReadingLookDialog(const ReadingLook& initial, const QString& sample, double sampleSize,
                      UserPrompts& prompts, QWidget* parent = nullptr);

    const ReadingLook& look() const { return m_look; }
    const ReadingLook& initialLook() const { return m_initial; }
    // The recommended faces, offered first.
    static QStringList recommendedFaces();

    void done(int result) override;

signals:
    void lookChanged(const ReadingLook& look);

private:
    void buildTypeControls(QFormLayout* form);
    void buildColourControls(QFormLayout* form);
    void fillTypefaces();
    void showLook();
    void changed();
    void choosePreset(int index);
    void chooseColour(QColor ReadingLook::*which, const QString& title, QColor shown);
    void showContrast();

    UserPrompts& m_prompts;
    ReadingLook m_initial;
    ReadingLook m_look;
    bool m_showing = false;

    QComboBox* m_typeface = nullptr;
    QCheckBox* m_bold = nullptr;
    QSpinBox* m_letterSpacing = nullptr;
    QSpinBox* m_wordSpacing = nullptr;
    QDoubleSpinBox* m_lineSpacing = nullptr;
    QSpinBox* m_lineWidth = nullptr;
    QSpinBox* m_dialogType = nullptr;
    QComboBox* m_preset = nullptr;
    QPushButton* m_textColour = nullptr;
    QPushButton* m_backgroundColour = nullptr;
    QLabel* m_contrast = nullptr;
    QComboBox* m_highlight = nullptr;
    QPushButton* m_bandColour = nullptr;
    SentenceBox* m_sample = nullptr;
};

} // namespace orasent
