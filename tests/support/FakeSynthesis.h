#pragma once
// A scripted synthesis engine for the export tests: a job is spoken inside submit(), at once, a
// piece per word (a tone whose length and pitch come from the word's letters, then a little
// silence) with a Word event at each word, then the stream's end. Each lane gets a backend of
// its own and the fake records which lane took each job. No threads, no timers.
#include "engine/SynthesisLanes.h"

#include <QStringList>
#include <QVector>
#include <memory>

namespace orasent::test {

class FakeSynthesis : public SynthesisLanes {
public:
    // --- script ---
    bool sideBySide = true; // lanes may speak at the same time
    QString failOn;         // a job whose text holds this (in any case) fails after its first word
    QString failure = QStringLiteral("the fake voice broke down");

    // --- record ---
    QStringList texts;   // every job's text, in the order they were submitted
    QVector<int> laneOf; // per job: the lane (0-based, in the order lanes were made)
    int lanesMade() const { return m_lanes; }
    int lanesUsed() const {
        QVector<int> seen;
        for (int lane : laneOf)
            if (!seen.contains(lane))
                seen.append(lane);
        return int(seen.size());
    }

    bool runsSideBySide(const QString&) const override { return sideBySide; }
    std::unique_ptr<SynthesisLane> newLane() override {
        return std::make_unique<Lane>(*this, m_lanes++);
    }

private:
    class Backend : public SynthesisBackend {
    public:
        Backend(FakeSynthesis& fake, int lane) : m_fake(fake), m_lane(lane) {}
        bool isReady() const override { return true; }
        void purge(const void*, int) override {}
        void forget(const void*) override {}
        void consumedUsecs(qint64) override {}
        void submit(SynthesisJob job) override {
            m_fake.texts.append(job.text);
            m_fake.laneOf.append(m_lane);
            const bool fails =
                !m_fake.failOn.isEmpty() && job.text.contains(m_fake.failOn, Qt::CaseInsensitive);
            qint64 frame = 0;
            for (qsizetype at = 0; at < job.text.size();) {
                if (job.text.at(at).isSpace()) {
                    ++at;
                    continue;
                }
                qsizetype end = at;
                while (end < job.text.size() && !job.text.at(end).isSpace())
                    ++end;
                StreamChunk piece = word(job, at, end - at, frame);
                frame += piece.pcm.size() / 2;
                job.deliver(std::move(piece));
                if (fails) {
                    job.deliver(StreamChunk{job.stream, {}, {}, true, frame, m_fake.failure});
                    return;
                }
                at = end;
            }
            job.deliver(StreamChunk{job.stream, {}, {}, true, frame, {}});
        }

    private:
        static StreamChunk word(const SynthesisJob& job, qsizetype pos, qsizetype length,
                                qint64 frame) {
            StreamChunk chunk;
            chunk.stream = job.stream;
            chunk.events.append(TimedEvent{TimedEvent::Word, frame, int(pos), int(length)});
            const QString letters = job.text.mid(pos, length);
            const int period = 8 + letters.at(0).unicode() % 24;
            const qsizetype sounding = 600 + 90 * length;
            QVector<qint16> samples(sounding + 300, 0);
            for (qsizetype i = 0; i < sounding; ++i)
                samples[i] = qint16((i / (period / 2)) % 2 ? 6000 : -6000);
            chunk.pcm =
                QByteArray(reinterpret_cast<const char*>(samples.constData()), samples.size() * 2);
            return chunk;
        }
        FakeSynthesis& m_fake;
        const int m_lane;
    };
    class Lane : public SynthesisLane {
    public:
        Lane(FakeSynthesis& fake, int lane) : m_backend(fake, lane) {}
        SynthesisBackend& backendFor(const QString&) override { return m_backend; }

    private:
        Backend m_backend;
    };
    int m_lanes = 0;
};

} // namespace orasent::test
