#include "engine/CmuPhones.h"

#include <QtTest>

using namespace orasent;

// IPA as written in dictionaries and PLS lexicons, and the CMU phones the US voices say for it
// (the CMU dictionary's own entries where it has the word).
class TestCmuPhones : public QObject {
    Q_OBJECT
private slots:
    void phonesFromIpa_data() {
        QTest::addColumn<QString>("ipa");
        QTest::addColumn<QString>("phones");
        QTest::newRow("tomato") << "təˈmɑːtoʊ"
                                << "t ax0 m aa1 t ow0";
        QTest::newRow("knife") << "ˈnaɪf"
                               << "n ay1 f";
        QTest::newRow("a lone sound") << "ʃ"
                                      << "sh";
        QTest::newRow("affricate") << "dʒ"
                                   << "jh";
        QTest::newRow("tie bar, no stress mark") << "t͡ʃɜːt͡ʃ"
                                                 << "ch er1 ch";
        QTest::newRow("secondary stress") << "ˌmɪsɪˈsɪpi"
                                          << "m ih2 s ih0 s ih1 p iy0";
        QTest::newRow("r-coloured, British and American") << "ˈbɜːrd ˈbʌtər ˈkɑːr"
                                                          << "b er1 d b ah1 t er0 k aa1 r";
        QTest::newRow("r before a vowel stays") << "əˈraʊnd kəˈrɪə"
                                                << "ax0 r aw1 n d k ax0 r ih1 r";
        QTest::newRow("syllabic n") << "ˈbʌtn̩"
                                    << "b ah1 t ax0 n";
        QTest::newRow("slashes and dots") << "/ˈeɪ.hæb/"
                                          << "ey1 hh ae0 b";
        QTest::newRow("unknown symbol") << "ˈǃa"
                                        << "";
        QTest::newRow("front rounded vowel") << "ˈtyt"
                                             << "";
        QTest::newRow("nothing") << " ˈ "
                                 << "";
    }
    void phonesFromIpa() {
        QFETCH(QString, ipa);
        QFETCH(QString, phones);
        QCOMPARE(cmuPhonesFromIpa(ipa).join(u' '), phones);
    }

    // The inline form reads back; a form with a phone the voices lack is no form.
    void inlineForm_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("phones");
        QTest::addColumn<int>("end");
        QTest::newRow("written here") << "a " + cmuInlineSounds("ˈnaɪf") + " b"
                                      << "n ay1 f" << 11;
        QTest::newRow("unknown phone") << "a ⟦n qq1 f⟧"
                                       << "" << -1;
        QTest::newRow("not closed") << "a ⟦n ay1 f"
                                    << "" << -1;
        QTest::newRow("empty") << "a ⟦⟧"
                               << "" << -1;
    }
    void inlineForm() {
        QFETCH(QString, text);
        QFETCH(QString, phones);
        QFETCH(int, end);
        qsizetype after = -1;
        QCOMPARE(readCmuInline(text, 2, &after).join(u' '), phones);
        QCOMPARE(after, qsizetype(end));
    }
};

QTEST_GUILESS_MAIN(TestCmuPhones)
#include "test_cmu_phones.moc"
