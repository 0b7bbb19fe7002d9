// Sentence steps, continuous play, bookmarks, the question pools and Help.
#include "reader/ReaderModel.h"

#include "common/Numbers.h"
#include "common/ProgramFiles.h"
#include "documents/SentenceRule.h"

#include <QFileInfo>
#include <QStringView>

#include <algorithm>
#include <cmath>

namespace orasent {

namespace {

// Above this a double has no fraction left, and stepping back by one no longer changes it.
constexpr double kWholeNumbersOnly = 4503599627370496.0; // 2^52

constexpr QStringView kBoundary = u". ";

} // namespace

ReaderModel::ReaderModel(ReaderPort& port) : m_port(port) {}

void ReaderModel::applyFirstRunDefaults() {
    if (m_reservedNum == 0)
        m_reservedNum = 1;
    if (m_fileName.isEmpty()) {
        m_fileName = firstRunFileName();
        m_port.showPathBox(m_fileName);
    }
}

QString ReaderModel::firstRunFileName() {
    return files::techPool();
}

// --- Positions in the text ------------------------------------------------------------------

bool ReaderModel::boundaryAt(std::int64_t position) const {
    const qsizetype length = m_bookText.size();
    if (position < 1 || position + 1 > length)
        return false;
    const QChar* text = m_bookText.constData();
    return text[position - 1] == u'.' && text[position] == u' ';
}

double ReaderModel::nearTextEnd(double position) const {
    // Positions past the last character cannot hold ". "; a backward scan passes them one by
    // one. Skip them in a single step, keeping the fraction.
    const double lastUseful = double(m_bookText.size()) + 1;
    if (!(position > lastUseful))
        return position;
    if (position >= kWholeNumbersOnly)
        return lastUseful;
    return position - std::floor(position - lastUseful);
}

std::optional<double> ReaderModel::scanBackForBoundary(double start, double lowest) const {
    // Examines nearest(start), nearest(start - 1), ... while start - k >= lowest (start itself
    // always), and returns start - k at the first ". ".
    if (!std::isfinite(start))
        return std::nullopt;
    const double fraction = start - std::floor(start);
    if (fraction == 0.5) {
        // Halves round to the even neighbour, so the positions examined are not consecutive.
        for (double p = start;; p -= 1) {
            if (boundaryAt(nearestInt(p)))
                return p;
            if (p - 1 < lowest)
                return std::nullopt;
        }
    }
    const std::int64_t first = nearestInt(start);
    const std::int64_t steps = start >= lowest ? std::int64_t(std::floor(start - lowest)) : 0;
    const std::int64_t last = std::max<std::int64_t>(1, first - steps);
    const std::int64_t from = std::min<std::int64_t>(first, std::int64_t(m_bookText.size()) - 1);
    const QChar* text = m_bookText.constData();
    for (std::int64_t j = from; j >= last; --j) {
        if (text[j - 1] == u'.' && text[j] == u' ')
            return start - double(first - j);
    }
    return std::nullopt;
}

// --- Sentence playback ----------------------------------------------------------------------

std::int64_t ReaderModel::sentenceEndAt(double position) const {
    return sentenceEndIn(m_bookText, position);
}

double ReaderModel::sentenceStartBefore(double start, double position) const {
    // Follows the pieces of a long stretch from `start` to the last one that begins at or before
    // `position`; a sentence that ends in ". " is where the caller's own scan already stopped.
    double p = start;
    while (p < position) {
        const std::int64_t end = sentenceEndAt(p);
        if (end == 0 || double(end) + 1 > position || boundaryAt(end))
            break;
        p = double(end) + 1;
    }
    return p;
}

void ReaderModel::alignToSentenceStart() {
    if (!(m_nextPos > 1))
        return;
    const std::optional<double> period = scanBackForBoundary(m_nextPos - 1, 1);
    const double from = !period || *period == 1 ? 1 : *period + 1;
    const double start = sentenceStartBefore(from, m_nextPos);
    if (start != m_nextPos)
        m_nextPos = m_lastPos = start;
}

std::optional<ReaderModel::SentenceCut> ReaderModel::cutSentenceAtNextPos() {
    if (!(m_nextPos >= 1))
        m_nextPos = 1;
    const std::int64_t end = sentenceEndAt(m_nextPos);
    if (end == 0)
        return std::nullopt;
    const std::int64_t start = nearestInt(m_nextPos);
    const std::int64_t count = nearestInt(double(end) - m_nextPos + 1);
    return SentenceCut{m_bookText.mid(qsizetype(start - 1), qsizetype(count)), end};
}

bool ReaderModel::SayNextSentence() {
    m_port.StopVoice();
    const std::optional<SentenceCut> sentence = cutSentenceAtNextPos();
    if (!sentence)
        return false;
    showSentence(sentence->text);
    handOverSentence(m_nextPos);
    m_lastPos = m_nextPos;
    m_nextPos = double(sentence->end) + 1;
    prepareNextSentence();
    return true;
}

void ReaderModel::ReplayScan() {
    if (m_lastPos > 2)
        m_nextPos = m_lastPos - 2;
    if (!(m_nextPos >= 1))
        m_nextPos = 1;
    m_nextPos = nearTextEnd(m_nextPos);
    // The first position is always examined, later ones only while they stay at 2 or more.
    if (const auto found = scanBackForBoundary(m_nextPos, 2)) {
        m_nextPos = *found;
        if (m_nextPos != 1)
            m_nextPos += 1; // the space after that period, where the sentence begins
    } else if (m_nextPos > 1) {
        // Not found: the scan stopped at its first value below 2 (a value of 1 stays).
        m_nextPos -= std::max(1.0, std::floor(m_nextPos) - 1);
    }
    // Pieces of a long stretch lie between that ". " and the sentence shown: take the last one.
    if (m_nextPos < m_lastPos)
        m_nextPos = sentenceStartBefore(m_nextPos, m_lastPos - 1);
}

void ReaderModel::talk(int button) {
    if (putOffUntilArrived([this, button] { talk(button); }))
        return;
    if (button == 2)
        ReplayScan();
    if (!SayNextSentence())
        waitForMore(LoadInProgress::Waiting::Sentence);
}

void ReaderModel::setPlayMode(PlayMode mode) {
    if (mode == m_playMode)
        return;
    m_playMode = mode;
    emit playModeChanged(mode);
}

void ReaderModel::stop() {
    setPlayMode(PlayMode::Off);
    forgetWaitingSteps();
    m_port.StopVoice();
}

void ReaderModel::again() {
    if (putOffUntilArrived([this] { again(); }))
        return;
    m_port.StopVoice();
    handOverSentence(m_lastPos);
}

void ReaderModel::GetKey() {
    setPlayMode(PlayMode::Continuous);
}

ReaderModel::TickOutcome ReaderModel::timerTick() {
    if (m_playMode == PlayMode::Off)
        return TickOutcome::Off;
    if (m_load && !m_load->begun)
        return TickOutcome::Waiting; // the previous document is not read on
    if (!m_port.speechIdle())
        return TickOutcome::Busy;
    if (SayNextSentence())
        return TickOutcome::Stepped;
    return m_load ? TickOutcome::Waiting : TickOutcome::EndOfText;
}

// --- Bookmarks ------------------------------------------------------------------------------

void ReaderModel::setBookmark() {
    if (putOffUntilArrived([this] { setBookmark(); }))
        return;
    for (int slot = 1; slot <= 100; ++slot) {
        if (m_bookMarks[slot] == 0) {
            m_bookMarks[slot] = m_lastPos;
            m_bookNum = slot;
            m_port.handOver(QStringLiteral("bookmark %1 set").arg(slot));
            return;
        }
    }
    m_port.focusSentenceBox();
}

void ReaderModel::nextBookmark() {
    if (putOffUntilArrived([this] { nextBookmark(); }))
        return;
    m_port.StopVoice();
    if (m_bookNum >= 1 && m_bookNum <= 99 && m_bookMarks[m_bookNum + 1] > 0) {
        ++m_bookNum;
        m_nextPos = m_bookMarks[m_bookNum];
        ShowBookmark();
        return;
    }
    m_port.handOver(QStringLiteral("you are at the end of your bookmarks"));
}

void ReaderModel::prevBookmark() {
    if (putOffUntilArrived([this] { prevBookmark(); }))
        return;
    m_port.StopVoice();
    if (m_bookNum <= 1) {
        m_port.handOver(QStringLiteral("No previous bookmarks"));
        return;
    }
    // A number restored from an edited file is kept within the table.
    m_bookNum = std::min(m_bookNum, 101) - 1;
    m_port.handOver(QStringLiteral("bookmark number %1").arg(m_bookNum));
    if (!(m_bookMarks[m_bookNum] > 0)) {
        m_port.handOver(QStringLiteral("You have not set a bookmark"));
        return;
    }
    m_nextPos = m_bookMarks[m_bookNum];
    ShowBookmark();
}

void ReaderModel::ShowBookmark() {
    // A bookmark below 1 (only from an edited file) reads from the first character.
    const std::optional<SentenceCut> sentence = cutSentenceAtNextPos();
    if (!sentence) {
        waitForMore(LoadInProgress::Waiting::Bookmark);
        return;
    }
    showSentence(QStringLiteral("Bookmark number ") + formatSigned(m_bookNum) +
                 QStringLiteral(". \r\n") + sentence->text);
    handOverSentence(m_nextPos);
    m_lastPos = m_nextPos;
    m_nextPos = double(sentence->end) + 1;
    m_port.focusSentenceBox();
}

void ReaderModel::clearBookmarks() {
    if (putOffUntilArrived([this] { clearBookmarks(); }))
        return;
    std::fill(m_bookMarks.begin() + 1, m_bookMarks.end(), 0.0);
    m_port.handOver(QStringLiteral("All bookmarks have been cleared"));
    m_port.focusSentenceBox();
    m_lastPos = 0;
}

void ReaderModel::SpreadBookmarks() {
    if (putOffUntilArrived([this] { SpreadBookmarks(); }) || spreadWaitsForWholeText())
        return;
    const double length = double(m_bookText.size());
    const double step = length / 25;
    m_bookMarks[1] = 1;
    double lastPieceStart = 0;
    for (int slot = 2; slot <= 26; ++slot) {
        const double p = (slot - 1) * step;
        const auto found = p < 1 ? std::nullopt : scanBackForBoundary(p, 1);
        const double from = !found || *found == 1 ? 1 : *found + 1;
        // Long stretches without ". " are read in pieces: the mark goes to the piece's start.
        // The previous piece start lies on the same chain of pieces when no ". " came between.
        m_bookMarks[slot] = p < 1 ? from : sentenceStartBefore(std::max(from, lastPieceStart), p);
        lastPieceStart = m_bookMarks[slot] != from ? m_bookMarks[slot] : 0;
        if (!found && m_bookMarks[slot] == 1)
            break; // no sentence start before this point: the rest keeps its old values
    }
    std::fill(m_bookMarks.begin() + 26, m_bookMarks.end(), 0.0);
    m_bookNum = 1;
    m_port.handOver(QStringLiteral("25 bookmarks have been set"));
    m_port.focusSentenceBox();
}

// --- Question pools, help, pause --------------------------------------------------------------

bool ReaderModel::openPool(const QString& poolFileName) {
    if (!QFileInfo(poolFileName).isFile()) {
        m_port.showMessage(poolFileName + QStringLiteral(" not found"));
        return false;
    }
    beginLoad(poolFileName, true, Arrival::NewReading); // from its first question every time
    return true;
}

QString ReaderModel::helpMessage() {
    static const QString helpText = QStringLiteral(
        "This program will read files with a .txt extension. To load a file click on the file menu "
        "and open a new file. When you click the talk button (or touch the space bar) the next "
        "sentence will be spoken. Click the again button to hear the sentence again or right click "
        "the talk button to replay the previous sentence. There are 100 available bookmarks. As "
        "you are reading through the text you can click the set bookmark button to mark that spot. "
        "As you click next bookmark or previous bookmark the system will move from bookmark to "
        "bookmark. To clear all bookmarks click the Clear all bookmarks button. When you start the "
        "program it will start reading from your last stopping point. If you click the Set 25 "
        "bookmarks the system will divide the text into 25 equal parts and set a bookmark at those "
        "spots. To select different voices click on TTS Setup and select from the drop down. To "
        "set the number of seconds to pause between sentences click on seconds. ");
    return QStringLiteral("Orasent version ") + programVersion() + QStringLiteral(". \r\n") +
           helpText;
}

void ReaderModel::help() {
    const QString message = helpMessage();
    m_port.handOver(message);
    showSentence(message);
}

std::optional<int> ReaderModel::parseSeconds(const QString& entry) {
    const std::int64_t value = nearestInt(numericPrefix(entry));
    if (value < 0 || value > kMaxSeconds)
        return std::nullopt;
    return int(value);
}

} // namespace orasent
