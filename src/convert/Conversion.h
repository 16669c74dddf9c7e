// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own kana-kanji conversion of the text field's selection, for desktops whose input method does not
// convert it: started by the 変換 key when that reaches the field, from the field's menu or from the candidate bar;
// shown in the field as an input method shows its conversion, and chosen with the keys every input method uses or
// on the bar, which watches it through `changed`.
#pragma once

#include "convert/Engine.h"
#include "convert/Readings.h"
#include "convert/Session.h"
#include "convert/Suggestions.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class QInputMethodEvent;
class QKeyEvent;
class QMenu;

namespace ui {
class Desktop;
class TextBox;
} // namespace ui

namespace convert {

// While a conversion runs, the reading stands in the field as the input method's preedit would, the composed text
// in its place; anything else the user does on the keyboard (a click into the field, a key that is not the
// conversion's, a press of a key or command however it comes) first accepts what is shown. Escape, Backspace and
// 取消 give the reading back exactly, selected as before. Going to another window leaves it open.
class Conversion : public QObject {
    Q_OBJECT
public:
    using EngineFactory = std::function<std::unique_ptr<Engine>()>;

    // The engine is made the first time a conversion is asked for or offered, never at start-up.
    Conversion(ui::TextBox &field, ui::Desktop &desktop, QWidget &owner, EngineFactory makeEngine);
    ~Conversion() override;

    bool active() const { return m_session.has_value(); }
    const Session *session() const { return m_session ? &*m_session : nullptr; }
    // Why the program cannot convert here, for the menu's tooltip; empty when it can. Starts the engine.
    QString unavailableReason();
    // Why 変換 would do nothing now (no kana selected, no engine); empty when it would convert. Starts the engine
    // only when kana are selected.
    QString whyNotStart();
    // How many candidates a page of the view holds; taken by every conversion from now on.
    void setPageFit(Session::PageFit fit);

    // What the bar offers for the field's selection as it stands; made when first asked for that selection.
    QList<Suggestion> suggestions();
    // Replaces the selected reading by one of its suggestions as an accepted conversion does: the engine learns it,
    // and it arrives as an input method's commit. Nothing happens if the selection changed meanwhile.
    void takeSuggestion(const Suggestion &suggestion);

    // What the keys and the candidate window do; each a checked platform operation where it shows, hides or
    // converts. Outside a conversion only start() does anything.
    void start();
    void nextCandidate();
    void previousCandidate();
    void nextPage();
    void previousPage();
    void chooseRow(int row);
    void chooseCandidate(qsizetype index);
    void scrollPage(int delta);
    void makeCurrent(qsizetype segment);
    void moveLeft();
    void moveRight();
    void shorten();
    void lengthen();
    void chooseHiragana();
    void chooseKatakana();
    void accept();
    void cancel();
    // A control of the keyboard is being pressed, by the pointer, a key, a screen reader or a switch: what the
    // conversion shows is taken first.
    void takeBeforePress();
    // `text` with what conversions wrote in it as the kana it was written from (for a voice that reads no kanji).
    QString readingOf(const QString &text) const { return m_readings.of(text); }

Q_SIGNALS:
    // A conversion started, changed or ended; the selection's suggestions may have changed.
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Watches the whole program while a conversion is open (see eventFilter in the source).
    class Elsewhere final : public QObject {
    public:
        explicit Elsewhere(Conversion &conversion)
            : m_conversion(conversion)
        { }
        bool eventFilter(QObject *watched, QEvent *event) override;

    private:
        Conversion &m_conversion;
    };

    void Txt1_KeyDown(QKeyEvent *event, bool &consumed);
    void mnuHenkan_Click();
    void addMenuEntry(QMenu *menu);

    Engine &engine();
    // Runs a step of the session and shows its outcome in the field and the views.
    template<typename Step> void update(Step step);
    // The field's preedit: the composed text, underlined, with the current segment highlighted.
    void showInField(int replaceFrom = 0, int replaceLength = 0);
    // Sends one of the conversion's own input-method events to the field.
    void send(QInputMethodEvent &event);
    // The session is over, by accepting or cancelling.
    void end();

    ui::TextBox &m_field;
    ui::Desktop &m_desktop;
    QWidget &m_owner;
    EngineFactory m_makeEngine;
    std::unique_ptr<Engine> m_engine;
    std::optional<Session> m_session;
    Session::PageFit m_pageFit;
    // The suggestions made last, and for which reading and room.
    QList<Suggestion> m_suggestions;
    QString m_suggestedFor;
    qsizetype m_suggestedRoom = -1;
    Readings m_readings; // what accepted conversions wrote, and from which kana
    // Where the reading stood in the field, to give it back there.
    int m_readingStart = 0;
    bool m_showing = false; // an event of the conversion's own is on its way to the field
    const QEvent *m_fieldKey = nullptr; // the last key the field was sent, which may travel on to its window
    Elsewhere m_elsewhere { *this };
};

} // namespace convert
