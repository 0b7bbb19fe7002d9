// How clear, fast and small each installed voice is. For espeak-ng's first English voice and
// every Flite and Festival voice it synthesizes the shared everyday sentences
// (../shared/voices/sentences.txt beside the source folder, or the file given as the first
// argument) at Rate 0 and prints:
//   WER    word error rate of pocketsphinx over the audio, scored as voice_wer.py scores it
//          (its normalisation and edit distance; sox resamples to 16 kHz)
//   wpm    words a minute over the audio, leading and trailing silence included
//   RTF    synthesis time / audio time
//   first  time from submitting a sentence to its first audio, median over the sentences (ms)
//   RSS    resident memory of a process that has spoken all sentences with the voice (MB), with
//          Festival's helper process
// Each voice runs in a child process of its own (this program with --voice ID), so its memory
// is its own. Needs sox and pocketsphinx_continuous with Debian's pocketsphinx-en-us model.
#include "ProcessFigures.h"
#include "engine/EspeakVoice.h"
#include "engine/LocalVoices.h"
#include "engine/SynthesisWorker.h"
#ifdef ORASENT_HAVE_FESTIVAL
#include "engine/festival/FestivalBackend.h"
#endif

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <sndfile.h>

using namespace orasent;

namespace {

const QString kModel = QStringLiteral("/usr/share/pocketsphinx/model/en-us");

QStringList normalised(QString s) {
    s = s.toLower().replace(QChar(0x2019), QLatin1Char('\''));
    s.replace(QRegularExpression(QStringLiteral("(?<![a-z])'|'(?![a-z])")), QStringLiteral(" "));
    s.replace(QRegularExpression(QStringLiteral("[^a-z' ]")), QStringLiteral(" "));
    return s.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

int editDistance(const QStringList& r, const QStringList& h) {
    QVector<int> d(h.size() + 1);
    for (int j = 0; j <= h.size(); ++j)
        d[j] = j;
    for (int i = 1; i <= r.size(); ++i) {
        int prev = d[0];
        d[0] = i;
        for (int j = 1; j <= h.size(); ++j) {
            const int cur = std::min({d[j] + 1, d[j - 1] + 1, prev + (r[i - 1] != h[j - 1])});
            prev = d[j];
            d[j] = cur;
        }
    }
    return d[h.size()];
}

struct Spoken {
    QVector<short> samples; // 22,050 Hz mono
    double firstAudioMs = -1;
    double synthMs = 0;
};

// One sentence through the voice's synthesis thread, unpaced, as the export does it.
Spoken synthesize(const QString& voice, const QString& text) {
    static int stream = 0;
    std::mutex mutex;
    std::condition_variable done;
    bool last = false;
    Spoken out;
    QElapsedTimer clock;
    SynthesisJob job;
    job.owner = &out;
    job.stream = ++stream;
    job.text = text;
    job.voiceIdentifier = voice;
    job.wordsPerMinute = EspeakVoice::wordsPerMinute(0);
    job.format = speechAudioFormat(SAFT22kHz16BitMono);
    job.paced = false;
    job.deliver = [&](StreamChunk chunk) {
        std::lock_guard<std::mutex> lock(mutex);
        if (out.firstAudioMs < 0 && !chunk.pcm.isEmpty())
            out.firstAudioMs = clock.nsecsElapsed() / 1e6;
        const auto* s = reinterpret_cast<const short*>(chunk.pcm.constData());
        out.samples += QVector<short>(s, s + chunk.pcm.size() / 2);
        if (chunk.last) {
            last = true;
            out.synthMs = clock.nsecsElapsed() / 1e6;
            done.notify_all();
        }
    };
    clock.start();
    synthesisBackendFor(voice).submit(std::move(job));
    std::unique_lock<std::mutex> lock(mutex);
    done.wait(lock, [&] { return last; });
    return out;
}

QString recognise(const QVector<short>& samples, const QTemporaryDir& dir) {
    const QString wav = dir.filePath(QStringLiteral("s.wav"));
    const QString w16 = dir.filePath(QStringLiteral("s16.wav"));
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(QFile::encodeName(wav).constData(), SFM_WRITE, &info);
    sf_write_short(file, samples.constData(), samples.size());
    sf_close(file);
    QProcess::execute(QStringLiteral("sox"), {"-q", wav, "-r", "16000", "-c", "1", "-b", "16", "-e",
                                              "signed-integer", w16});
    QProcess ps;
    ps.start(QStringLiteral("pocketsphinx_continuous"),
             {"-infile", w16, "-hmm", kModel + "/en-us", "-lm", kModel + "/en-us.lm.bin", "-dict",
              kModel + "/cmudict-en-us.dict", "-logfn", "/dev/null"});
    ps.waitForFinished(300000);
    return QString::fromUtf8(ps.readAllStandardOutput());
}

// Resident memory of this process and of Festival's helper while it runs, kB.
long residentKiB() {
    long kib = bench::statusKiB("VmRSS");
#ifdef ORASENT_HAVE_FESTIVAL
    if (const qint64 pid = FestivalBackend::instance().helperPid()) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("VmRSS:"))
                    kib += line.mid(6).trimmed().split(' ').value(0).toLong();
    }
#endif
    return kib;
}

// The child: one voice over all sentences; prints one line of figures.
int measureVoice(const QString& voice, const QStringList& sentences) {
    QTemporaryDir dir;
    int errors = 0;
    int words = 0;
    double audioSeconds = 0;
    double synthMs = 0;
    QVector<double> firsts;
    for (const QString& sentence : sentences) {
        const Spoken spoken = synthesize(voice, sentence);
        const QStringList ref = normalised(sentence);
        errors += editDistance(ref, normalised(recognise(spoken.samples, dir)));
        words += int(ref.size());
        audioSeconds += spoken.samples.size() / 22050.0;
        synthMs += spoken.synthMs;
        firsts.append(spoken.firstAudioMs);
    }
    std::sort(firsts.begin(), firsts.end());
    std::printf("%-46s %5.1f %%  %5.0f  %6.3f  %6.1f  %6.1f\n", qPrintable(voice),
                100.0 * errors / qMax(words, 1), 60.0 * words / qMax(audioSeconds, 1e-9),
                synthMs / 1000.0 / qMax(audioSeconds, 1e-9), firsts.value(firsts.size() / 2),
                residentKiB() / 1024.0);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString voice;
    if (args.size() >= 2 && args.first() == QLatin1String("--voice")) {
        voice = args.at(1);
        args = args.mid(2);
    }
    const QString path =
        args.value(0, QStringLiteral(ORASENT_SOURCE_ROOT "/../shared/voices/sentences.txt"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::printf("SKIP bench_voices: no sentences at %s\n", qPrintable(path));
        return 0;
    }
    QStringList sentences;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.trimmed().isEmpty())
            sentences << QString::fromUtf8(line.trimmed());
    if (!voice.isEmpty())
        return measureVoice(voice, sentences);

    QStringList voices;
    for (const SpObjectToken& t : espeakVoiceTokens())
        if (espeakLanguageOf(t.Id()).startsWith(QLatin1String("en"))) {
            voices << t.Id();
            break;
        }
    for (const SpObjectToken& t : localVoiceTokens())
        voices << t.Id();
    std::printf("%d sentences; Rate 0\n%-46s %7s  %5s  %6s  %6s  %6s\n", int(sentences.size()),
                "voice", "WER", "wpm", "RTF", "first", "RSS MB");
    std::fflush(stdout);
    for (const QString& v : std::as_const(voices)) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(app.applicationFilePath(), {"--voice", v, path});
        child.waitForFinished(-1);
    }
    return 0;
}
