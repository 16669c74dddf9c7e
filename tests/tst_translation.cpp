// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts in Japanese: the catalogue is loaded as the program loads it, and the text field's context menu
// then speaks Japanese.
#include "Harness.h"
#include "ui/Translations.h"

#include <QFile>
#include <QLibraryInfo>
#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

class TranslationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        const QString catalogue = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + u"/qtbase_ja.qm"_s;
        if (!QFile::exists(catalogue))
            QSKIP(qPrintable(catalogue + u" is not installed (Debian: qt6-translations-l10n)"_s));
        QVERIFY(ui::installQtTranslation());
    }

    void qtTextsAreJapanese_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("japanese");
        QTest::newRow("copy") << u"QLineEdit"_s << u"&Copy"_s << u"\u30B3\u30D4\u30FC(&C)"_s; // コピー
        QTest::newRow("paste") << u"QLineEdit"_s << u"&Paste"_s << u"\u8CBC\u308A\u4ED8\u3051(&P)"_s; // 貼り付け
    }

    void qtTextsAreJapanese()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(QString, japanese);
        QCOMPARE(QCoreApplication::translate(qPrintable(context), qPrintable(source)), japanese);
    }

    void fieldContextMenuIsJapanese()
    {
        Harness h;
        h.type(u"\u3042\u3044"_s);
        std::unique_ptr<QMenu> menu(h.field()->createStandardContextMenu());
        QStringList texts;
        for (const QAction *action : menu->actions()) {
            if (!action->isSeparator())
                texts << action->text().section(u'\t', 0, 0);
        }
        QVERIFY2(texts.contains(u"\u30B3\u30D4\u30FC(&C)"_s), qPrintable(texts.join(u" | "_s))); // コピー
        QVERIFY2(texts.contains(u"\u5207\u308A\u53D6\u308A(&T)"_s), qPrintable(texts.join(u" | "_s))); // 切り取り
        // Nothing in the menu is left in English.
        for (const QString &text : texts) {
            const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
            QVERIFY2(!ascii, qPrintable(text));
        }
    }
};

QTEST_MAIN(TranslationTest)
#include "tst_translation.moc"
