// The speech window's load and unload, the voice, format, output, rate and volume choices, and
// the settings file "VIC.INI" and word list "Speech.lst" at load and unload.
#include "speech/ui/TTSSetup.h"

#include "common/ProgramFiles.h"
#include "common/ui/Accessibility.h"

#include "common/ui/UserPrompts.h"
#include "engine/SpVoice.h"
#include "engine/SpeechAudioFormat.h"
#include "speech/SpeechSettingsFile.h"
#include "speech/WordListFile.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <cstdlib>

namespace orasent {

namespace {
constexpr int kSpeakFlags = SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML; // 11

// The window goes on without the setting; the log says which step the engine refused.
void warnRefused(const char* step, const SpeechError& error) {
    qWarning("Speech window: the engine refused to %s: %s", step, error.what());
}
} // namespace

const char* const TTSSetup::kNoAudioOutput = "No audio ouput object available";

TTSSetup::TTSSetup(VoiceFactory voiceFactory, UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_voiceFactory(std::move(voiceFactory)), m_prompts(prompts) {
    setObjectName(QStringLiteral("TTSSetup"));
    installAccessibleInterfaces(); // before the first control exists
    buildControls();
    connectControls();
    connectSpeakingCore();
    // Until a saved position moves it, the window stands in the middle of the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(width() / 2, height() / 2));
    }
}

TTSSetup::~TTSSetup() {
    m_core.setVoice(nullptr);
    if (m_voice)
        m_voice->disconnect(this);
}

void TTSSetup::setLifecycle(WindowLifecycle lifecycle) {
    if (lifecycle == m_lifecycle)
        return;
    m_lifecycle = lifecycle;
    emit lifecycleChanged(lifecycle);
}

void TTSSetup::loadWindow() {
    if (m_lifecycle != WindowLifecycle::Created)
        return;
    setLifecycle(WindowLifecycle::Loaded);

    // 1. The voice, its events delivered here. An engine that cannot start leaves no voice:
    //    the lists stay empty and speaking fails silently.
    try {
        if (m_voiceFactory)
            m_voice = m_voiceFactory();
    } catch (const SpeechError&) {
        m_voice.reset();
    }
    attachVoiceEvents();

    // 2-3. The voices, the engine's own choice chosen (the clearest voice of the user's
    //      language; the first one when the engine has none).
    int chosen = 0;
    try {
        if (m_voice) {
            const SpObjectTokens voices = m_voice->GetVoices(QString(), QString());
            for (const SpObjectToken& token : voices)
                m_voiceCB->addItem(token.GetDescription(0));
            chosen = qMax(0, int(voices.indexOf(m_voice->Voice())));
        }
    } catch (const SpeechError& error) {
        warnRefused("list its voices", error);
    }
    selectVoiceIndex(chosen);

    // 4. The format table with the engine's values as item data.
    for (const SpeechAudioFormat& format : speechAudioFormats())
        m_formatCB->addItem(format.name, format.type);

    // 5. The sliders start at the voice's own rate and volume.
    try {
        if (m_voice) {
            setSliderFromCode(m_rateSldr, m_voice->Rate());
            setSliderFromCode(m_volumeSldr, m_voice->Volume());
        }
    } catch (const SpeechError& error) {
        warnRefused("report its rate and volume", error);
    }

    // 6. The default format.
    selectFormatIndex(m_formatCB->findText(QStringLiteral("SAFT22kHz16BitMono")));

    // 7-8. The outputs, the first one chosen (which applies the format to it).
    SpObjectTokens outputs;
    try {
        if (m_voice)
            outputs = m_voice->GetAudioOutputs(QString(), QString());
    } catch (const SpeechError&) {
        outputs.clear();
    }
    if (outputs.isEmpty()) {
        m_audioOutputCB->addItem(QString::fromLatin1(kNoAudioOutput));
        m_audioOutputCB->setEnabled(false);
    } else {
        for (const SpObjectToken& token : outputs)
            m_audioOutputCB->addItem(token.GetDescription(0));
    }
    selectAudioOutputIndex(0);

    // 9. The mouth image list holds no pictures; nothing to prepare.
    // 10-11. Flags of every asynchronous Speak, and the idle state.
    m_core.setSpeakFlags(kSpeakFlags);
    ApplySpeakingState(false);
    // 12.
    setOuterHeightTwips(kLoadHeightTwips);
    // 13.
    LoadDat();

    // A text handed over before the load is spoken as soon as the window can.
    m_core.start();
}

void TTSSetup::showWindow() {
    show();
    raise();
    activateWindow();
}

void TTSSetup::unloadWindow() {
    if (m_lifecycle == WindowLifecycle::Unloaded)
        return;
    const bool loaded = m_lifecycle == WindowLifecycle::Loaded;
    setLifecycle(WindowLifecycle::Unloading);
    if (loaded)
        SaveDat();
    m_core.stop();
    m_core.setVoice(nullptr);
    if (m_voice) {
        m_voice->disconnect(this);
        m_voice.reset();
    }
    setLifecycle(WindowLifecycle::Unloaded);
    hide();
}

void TTSSetup::setReaderSentenceBox(QPlainTextEdit* text1) {
    m_readerText1 = text1;
}

// The user's close box is refused: the window stays. The program's unload and a shutting-down
// session close it.
void TTSSetup::closeEvent(QCloseEvent* event) {
    const bool closing =
        m_lifecycle == WindowLifecycle::Unloading || m_lifecycle == WindowLifecycle::Unloaded;
    if (closing || qApp->isSavingSession()) {
        if (m_lifecycle != WindowLifecycle::Unloaded)
            unloadWindow();
        event->accept();
        return;
    }
    event->ignore();
}

void TTSSetup::onClosePressed() {
    hide();
}

// --- selections ---

void TTSSetup::selectFromCode(QComboBox* list, int index, void (TTSSetup::*click)()) {
    if (index < 0 || index >= list->count())
        return;
    {
        const QSignalBlocker block(list);
        list->setCurrentIndex(index);
    }
    (this->*click)();
}

void TTSSetup::selectVoiceIndex(int index) {
    selectFromCode(m_voiceCB, index, &TTSSetup::onVoiceChosen);
}
void TTSSetup::selectFormatIndex(int index) {
    selectFromCode(m_formatCB, index, &TTSSetup::onFormatChosen);
}
void TTSSetup::selectAudioOutputIndex(int index) {
    selectFromCode(m_audioOutputCB, index, &TTSSetup::onAudioOutputChosen);
}

void TTSSetup::setSliderFromCode(QSlider* slider, int value) {
    const QSignalBlocker block(slider);
    slider->setValue(value);
}

void TTSSetup::onVoiceChosen() {
    const int index = m_voiceCB->currentIndex();
    if (!m_voice || index < 0)
        return;
    m_applyingVoice = true;
    try {
        const SpObjectTokens voices = m_voice->GetVoices(QString(), QString());
        if (index < voices.size())
            m_voice->setVoice(voices.at(index));
    } catch (const SpeechError& error) {
        warnRefused("change the voice", error);
    }
    m_applyingVoice = false;
    m_savedVoiceIndex = -1;
    showWhetherAudioSettingsApply();
}

void TTSSetup::onFormatChosen() {
    const int index = m_formatCB->currentIndex();
    if (!m_voice || index < 0)
        return;
    try {
        m_voice->setAllowAudioOutputFormatChangesOnNextSet(false);
        m_voice->setAudioOutputFormatType(m_formatCB->itemData(index).toInt());
    } catch (const SpeechError& error) {
        warnRefused("change the audio format", error);
    }
}

void TTSSetup::onAudioOutputChosen() {
    const int index = m_audioOutputCB->currentIndex();
    if (!m_voice || index < 0)
        return;
    try {
        const SpObjectTokens outputs = m_voice->GetAudioOutputs(QString(), QString());
        if (index >= outputs.size())
            return;
        m_voice->setAudioOutput(outputs.at(index));
    } catch (const SpeechError&) {
        return;
    }
    onFormatChosen();
}

void TTSSetup::onRateMoved() {
    if (!m_voice)
        return;
    try {
        m_voice->setRate(m_rateSldr->value());
    } catch (const SpeechError& error) {
        warnRefused("change the rate", error);
    }
}

int TTSSetup::stepRate(int delta) {
    // A step of the slider's own: it moves and tells its handler as a user's move does.
    const auto action =
        delta > 0 ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub;
    for (int i = 0; i < std::abs(delta); ++i)
        m_rateSldr->triggerAction(action);
    return m_rateSldr->value();
}

void TTSSetup::onVolumeMoved() {
    if (!m_voice)
        return;
    try {
        m_voice->setVolume(m_volumeSldr->value());
    } catch (const SpeechError& error) {
        warnRefused("change the volume", error);
    }
}

QString TTSSetup::GetDirectory() const {
    try {
        const QString sdkPath = m_voice ? m_voice->SdkPath() : QString();
        return sdkPath.isEmpty() ? QString() : sdkPath + QStringLiteral("samples/common");
    } catch (const SpeechError&) {
        return QString();
    }
}

// --- settings ---

void TTSSetup::LoadDat() {
    m_core.setReplacementList(loadReplacementList(files::wordList()));
    m_languageVoices.load(kLanguageVoicesFileName);
    loadPronunciation();

    // Every step that fails (an index outside the list, a value the control refuses, an engine
    // failure) is left out; the rest still apply.
    for (const SettingAction& action : readSpeechSettingsFile(files::speechSettings())) {
        const int value = int(action.value);
        switch (action.kind) {
        case SettingAction::VoiceIndex:
            selectSavedVoiceIndex(value);
            break;
        case SettingAction::FormatIndex:
            selectFormatIndex(value);
            break;
        case SettingAction::AudioOutputIndex:
            selectAudioOutputIndex(value);
            break;
        case SettingAction::ClearIt:
        case SettingAction::ChkClipboard:
            if (action.value == 0 || action.value == 1)
                (action.kind == SettingAction::ClearIt ? m_clearIt : m_chkClipboard)
                    ->setChecked(value == 1);
            break;
        case SettingAction::Rate:
        case SettingAction::Volume: {
            QSlider* slider = action.kind == SettingAction::Rate ? m_rateSldr : m_volumeSldr;
            if (action.value < slider->minimum() || action.value > slider->maximum())
                break;
            setSliderFromCode(slider, value);
            try {
                if (m_voice)
                    action.kind == SettingAction::Rate ? m_voice->setRate(value)
                                                       : m_voice->setVolume(value);
            } catch (const SpeechError& error) {
                warnRefused("take a saved rate or volume", error);
            }
            break;
        }
        case SettingAction::Left:
            if (action.value >= 0 && action.value < 1e9)
                move(twipsToPxX(action.value), pos().y());
            break;
        case SettingAction::Top:
            if (action.value >= 0 && action.value < 1e9)
                move(pos().x(), twipsToPxY(action.value));
            break;
        }
    }
}

void TTSSetup::SaveDat() {
    SpeechSettings settings;
    // A saved voice that has not come back (its server is away) stays the saved one.
    settings.voiceIndex = m_savedVoiceIndex >= 0 ? m_savedVoiceIndex : m_voiceCB->currentIndex();
    settings.formatIndex = m_formatCB->currentIndex();
    settings.audioOutputIndex = m_audioOutputCB->currentIndex();
    settings.rate = m_rateSldr->value();
    settings.volume = m_volumeSldr->value();
    settings.chkClipboard = m_chkClipboard->isChecked() ? 1 : 0;
    settings.clearIt = m_clearIt->isChecked() ? 1 : 0;
    settings.left = pxToTwipsX(pos().x());
    settings.top = pxToTwipsY(pos().y());

    QString error;
    if (!writeSpeechSettings(files::speechSettings(), settings, &error))
        m_prompts.showMessage(
            this,
            QStringLiteral("The speech settings could not be saved to \"%1\": %2\n"
                           "The previous settings file was kept.")
                .arg(files::speechSettings(), error),
            programTitle());
}

} // namespace orasent
