#pragma once
// The speech setup window "Text To Speech": owns the one voice of the program, its settings,
// the speak box that the reader fills, the clipboard monitor, the word highlight and the word
// list editor panel.
#include "common/WindowLifecycle.h"
#include "speech/ClipboardMonitor.h"
#include "speech/LanguageVoices.h"
#include "speech/PronunciationStore.h"
#include "speech/SpeakingCore.h"
#include "speech/SpeechWindow.h"

#include <QMainWindow>
#include <QPair>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTimer;
class QVariant;

namespace orasent {

class SpObjectToken;
class SpVoice;
class UserPrompts;

class TTSSetup : public QMainWindow, public SpeechWindow {
    Q_OBJECT
public:
    using VoiceFactory = std::function<std::unique_ptr<SpVoice>()>;

    TTSSetup(VoiceFactory voiceFactory, UserPrompts& prompts, QWidget* parent = nullptr);
    ~TTSSetup() override;

    // --- what the reader uses ---
    void handOver(const QString& text) override;
    void handOverInLanguage(const QString& text, const QString& language, int document) override;
    void prepareHandOver(const QString& text) override;
    bool isIdle() const override { return !m_core.isSpeaking(); }
    SpeakingCore& speakingCore() override { return m_core; }
    SpeechChoice speechChoice() const override;
    QString chosenVoiceName() const override;
    void chooseVoiceByName(const QString& name) override;
    void StopVoice() override;
    void loadWindow() override;
    void showWindow() override;
    void unloadWindow() override;
    void setReaderSentenceBox(QPlainTextEdit* text1) override;
    int stepRate(int delta) override;
    void readingDocument(const QByteArray& key, const QString& language,
                         const QList<QByteArray>& lexicons) override;
    void showPronunciationEditor(QWidget* parent, int pointSize) override;
    PronunciationStore& pronunciationStore() { return m_pronunciationStore; }

    // --- public procedures ---
    void LoadDat();
    void SaveDat();
    void SpeakIt();
    void SpeakItX();
    QString GetDirectory() const;

    // --- state, for the window's own parts and for tests ---
    QLineEdit* handedOverBox() const { return m_spkbx; }
    QPushButton* SpeakBtn() const { return m_speakBtn; }
    SpVoice* Voice() const { return m_voice.get(); }
    QString ReplacementList() const { return m_core.replacementList(); }
    int SpeakFlags() const { return m_core.speakFlags(); }
    QTimer* Timer1() { return m_core.timer(); }
    bool isLoaded() const { return m_lifecycle != WindowLifecycle::Created; }
    WindowLifecycle lifecycle() const { return m_lifecycle; }
    // The window's outer width in twips, and whether the word list panel is open.
    double outerWidthTwips() const;
    bool isEditorOpen() const;

    // --- event handlers ---
    void onSpeakingTick();
    void onPlayClipboardPressed(); // "Play Clipboard"
    void onVoiceChosen();
    void onFormatChosen();
    void onAudioOutputChosen();
    void onRateMoved();
    void onVolumeMoved();
    void onEditListPressed();     // "Edit List"
    void onSaveListPressed();     // "Save"
    void onNoSavePressed();       // "No Save"
    void onSortListPressed();     // "Sort List"
    void onTestLastWordPressed(); // "Test Last Word in List"
    void onTestPressed();         // "Test"
    void onClosePressed();        // "CLOSE"
    void onOpenTextChosen();
    void onExitChosen();
    void onHelpChosen();
    void onSpeakPressed();
    void onStopPressed();

    void ApplySpeakingState(bool speaking);
    void HighlightSpokenText(int start, int length);
    // The word the highlight paints: start and length, or (-1, 0) when none.
    QPair<int, int> highlightedSpan() const;

    void onVoiceChanged(int streamNumber, const QVariant& streamPosition,
                        const SpObjectToken& token);

    // The window's outer sizes in twips: narrow with the word list panel cut off, wide with it
    // open, and the height the load gives it.
    static constexpr double kNarrowWidthTwips = 8220;
    static constexpr double kWideWidthTwips = 14154;
    static constexpr double kLoadHeightTwips = 5460;

    static const char* const kHelpText;
    static const char* const kTestSentence;
    static const char* const kNoAudioOutput;

signals:
    void lifecycleChanged(orasent::WindowLifecycle lifecycle);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Window construction (TTSSetupLayout.cpp).
    void buildControls();
    void labelControls();
    void updatePanelFocus();
    void buildMenus();
    void connectControls();
    int twipsToPxX(double twips) const;
    int twipsToPxY(double twips) const;
    double pxToTwipsX(int px) const;
    double pxToTwipsY(int px) const;
    void setTwipsGeometry(QWidget* control, int left, int top, int width, int height);
    void setOuterWidthTwips(double twips);
    void setOuterHeightTwips(double twips);

    // Selections from code run the same handler as a user's choice, even for the same index.
    void selectFromCode(QComboBox* list, int index, void (TTSSetup::*click)());
    void selectVoiceIndex(int index);
    void selectFormatIndex(int index);
    void selectAudioOutputIndex(int index);
    void setSliderFromCode(QSlider* slider, int value);

    // Voices that an engine adds late, and the audio settings' tooltips (TTSSetupVoices.cpp).
    void selectSavedVoiceIndex(int index);
    void appendAddedVoices();
    void showWhetherAudioSettingsApply();
    void rememberVoiceForItsLanguage();
    void showUnspokenNotice(const QString& text);

    // Speaking (TTSSetupSpeaking.cpp).
    QString ApplyReplacements(const QString& text);
    void speakMainText();
    void runClipboardMonitor();
    QString clipboardText() const;
    void attachVoiceEvents();
    void connectSpeakingCore();
    void showSpeakingState(bool speaking);

    // Pronunciation rules (TTSSetupPronunciation.cpp).
    void loadPronunciation();
    void addPronunciationMenu();
    void applyDocumentPronunciation();

    // Word list editor panel (TTSSetupEditor.cpp).
    QString talkBoxText() const; // line breaks as CR LF

    VoiceFactory m_voiceFactory;
    UserPrompts& m_prompts;
    SpeakingCore m_core;
    std::unique_ptr<SpVoice> m_voice;
    ClipboardMonitor m_clipboardMonitor;
    LanguageVoices m_languageVoices;
    PronunciationStore m_pronunciationStore;
    struct ReadingDocument {
        QByteArray key;
        QString language;
        QList<QByteArray> lexicons;
    } m_readingDocument;
    QPointer<QDialog> m_pronunciationEditor;
    QPointer<QPlainTextEdit> m_readerText1;

    void setLifecycle(WindowLifecycle lifecycle); // the one place that changes it
    WindowLifecycle m_lifecycle = WindowLifecycle::Created;
    bool m_applyingVoice = false;
    int m_savedVoiceIndex = -1; // a saved voice not (yet) in the list

    // Controls.
    QWidget* m_central = nullptr;
    QFrame* m_visemePicture = nullptr;
    QPlainTextEdit* m_mainTxtBox = nullptr;
    QPushButton* m_speakBtn = nullptr;
    QPushButton* m_stopBtn = nullptr;
    QPushButton* m_command2 = nullptr;
    QPushButton* m_btnTest = nullptr;
    QCheckBox* m_chkClipboard = nullptr;
    QCheckBox* m_clearIt = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_label3 = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_label5 = nullptr;
    QLabel* m_label6 = nullptr;
    QComboBox* m_voiceCB = nullptr;
    QComboBox* m_formatCB = nullptr;
    QComboBox* m_audioOutputCB = nullptr;
    QSlider* m_rateSldr = nullptr;
    QSlider* m_volumeSldr = nullptr;
    QPushButton* m_command1 = nullptr;
    QLineEdit* m_spkbx = nullptr;
    QPlainTextEdit* m_talkBox = nullptr;
    QPushButton* m_command3 = nullptr;
    QPushButton* m_command4 = nullptr;
    QPushButton* m_command5 = nullptr;
    QPushButton* m_command6 = nullptr;

    QMenu* m_menuFile = nullptr;
    QAction* m_menuFileOpenText = nullptr;
    QAction* m_menuFileExit = nullptr;
    QAction* m_menuHelp = nullptr;
    QAction* m_st = nullptr;
};

} // namespace orasent
